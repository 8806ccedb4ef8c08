#include "platform/clipboard/ChunkedBytes.h"

#include <algorithm>
#include <utility>

namespace vardelo {

namespace {

/// The least a piece reserves.
constexpr qsizetype PieceBytes = 4 * 1024 * 1024;

} // namespace

void ChunkedBytes::append(QByteArrayView chunk)
{
    if (m_pieces.empty() || m_pieces.back().size() + chunk.size() > m_pieces.back().capacity()) {
        const qsizetype wanted = m_pieces.empty() ? std::max(m_expected, PieceBytes) : PieceBytes;
        m_pieces.emplace_back().reserve(std::max(wanted, chunk.size()));
    }
    m_pieces.back().append(chunk);
    m_size += chunk.size();
}

QByteArray ChunkedBytes::takeAll()
{
    // Bytes whose size was announced, as most are, came into one piece, which needs no joining.
    QByteArray whole = m_pieces.size() == 1 ? std::exchange(m_pieces.front(), QByteArray()) : QByteArray();
    if (m_pieces.size() > 1) {
        whole.reserve(m_size);
        for (const QByteArray& piece : m_pieces) {
            whole += piece;
        }
    }
    clear();
    return whole;
}

QByteArray ChunkedBytes::takePiece()
{
    if (m_pieces.empty()) {
        return {};
    }
    QByteArray piece = std::move(m_pieces.front());
    m_pieces.pop_front();
    m_size -= piece.size();
    return piece;
}

void ChunkedBytes::clear()
{
    m_pieces.clear();
    m_size = 0;
    m_expected = 0;
}

} // namespace vardelo
