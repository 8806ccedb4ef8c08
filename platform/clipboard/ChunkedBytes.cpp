#include "platform/clipboard/ChunkedBytes.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include <QtGlobal>

#ifdef Q_OS_UNIX
#include <sys/mman.h>
#endif

namespace vardelo {

namespace {

/// The least a piece reserves.
constexpr qsizetype PieceBytes = 4 * 1024 * 1024;

/// Memory mapped for the piece alone: malloc would keep a freed block of this size for itself and reuse it, so
/// the memory of the bytes already decoded would still count while the text grows.
char* allocate(qsizetype capacity)
{
#ifdef Q_OS_UNIX
    void* mapped
        = ::mmap(nullptr, static_cast<size_t>(capacity), PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapped == MAP_FAILED) {
        qFatal("Vardelo: out of memory for %lld clipboard bytes", static_cast<long long>(capacity));
    }
    return static_cast<char*>(mapped);
#else
    return new char[static_cast<size_t>(capacity)];
#endif
}

void release(char* data, qsizetype capacity)
{
    if (data == nullptr) {
        return;
    }
#ifdef Q_OS_UNIX
    ::munmap(data, static_cast<size_t>(capacity));
#else
    Q_UNUSED(capacity);
    delete[] data;
#endif
}

} // namespace

ChunkedBytes::Piece::Piece(qsizetype capacity)
    : m_data(allocate(capacity))
    , m_capacity(capacity)
{ }

ChunkedBytes::Piece::~Piece()
{
    release(m_data, m_capacity);
}

ChunkedBytes::Piece::Piece(Piece&& other) noexcept
    : m_data(std::exchange(other.m_data, nullptr))
    , m_size(std::exchange(other.m_size, 0))
    , m_capacity(std::exchange(other.m_capacity, 0))
{ }

ChunkedBytes::Piece& ChunkedBytes::Piece::operator=(Piece&& other) noexcept
{
    if (this != &other) {
        release(m_data, m_capacity);
        m_data = std::exchange(other.m_data, nullptr);
        m_size = std::exchange(other.m_size, 0);
        m_capacity = std::exchange(other.m_capacity, 0);
    }
    return *this;
}

qsizetype ChunkedBytes::Piece::append(QByteArrayView chunk)
{
    const qsizetype taken = std::min(chunk.size(), m_capacity - m_size);
    if (taken > 0) {
        std::memcpy(m_data + m_size, chunk.data(), static_cast<size_t>(taken));
        m_size += taken;
    }
    return taken;
}

void ChunkedBytes::append(QByteArrayView chunk)
{
    m_size += chunk.size();
    while (!chunk.isEmpty()) {
        if (m_pieces.empty() || m_pieces.back().size() == m_pieces.back().capacity()) {
            m_pieces.emplace_back(PieceBytes);
        }
        chunk = chunk.sliced(m_pieces.back().append(chunk));
    }
}

QByteArray ChunkedBytes::takeAll()
{
    QByteArray whole;
    whole.reserve(m_size);
    for (const Piece& piece : m_pieces) {
        whole += piece.bytes();
    }
    clear();
    return whole;
}

ChunkedBytes::Piece ChunkedBytes::takePiece()
{
    if (m_pieces.empty()) {
        return {};
    }
    Piece piece = std::move(m_pieces.front());
    m_pieces.pop_front();
    m_size -= piece.size();
    return piece;
}

void ChunkedBytes::clear()
{
    m_pieces.clear();
    m_size = 0;
}

} // namespace vardelo
