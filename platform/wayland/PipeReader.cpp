#include "platform/wayland/PipeReader.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <QSocketNotifier>

namespace vardelo {

namespace {

/// As much as a pipe holds by default, so one read empties it.
constexpr qsizetype ChunkSize = 64 * 1024;

QString failure(int error)
{
    return QStringLiteral("Не удалось прочитать текст буфера обмена: %1").arg(QString::fromLocal8Bit(strerror(error)));
}

} // namespace

PipeReader::PipeReader(std::function<void(Result<QByteArray>)> done)
    : m_done(std::move(done))
{ }

PipeReader::~PipeReader()
{
    m_notifier.reset();
    if (m_fd >= 0) {
        ::close(m_fd);
    }
}

Status PipeReader::open(const std::function<void(int)>& handOver)
{
    int ends[2] = {-1, -1};
    // Only this end is non-blocking: the writer's end stays as writers expect it.
    if (::pipe2(ends, O_CLOEXEC) != 0) {
        return Status::failure(failure(errno));
    }
    m_fd = ends[0];
    if (::fcntl(m_fd, F_SETFL, O_NONBLOCK) != 0) {
        const int error = errno;
        ::close(ends[1]);
        return Status::failure(failure(error));
    }
    handOver(ends[1]);
    // With this copy closed, the end of the data shows once the writer closes its own.
    ::close(ends[1]);
    m_notifier = std::make_unique<QSocketNotifier>(m_fd, QSocketNotifier::Read);
    QObject::connect(m_notifier.get(), &QSocketNotifier::activated, m_notifier.get(), [this] { readSome(); });
    return Status::success();
}

void PipeReader::readSome()
{
    const qsizetype size = m_bytes.size();
    if (m_bytes.capacity() - size < ChunkSize) {
        m_bytes.reserve(std::max(2 * m_bytes.capacity(), size + ChunkSize));
    }
    m_bytes.resize(size + ChunkSize);
    const ssize_t got = ::read(m_fd, m_bytes.data() + size, ChunkSize);
    const int error = errno;
    m_bytes.resize(size + std::max<qsizetype>(got, 0));
    if (got > 0 || (got < 0 && (error == EAGAIN || error == EINTR))) {
        return;
    }
    m_notifier->setEnabled(false);
    Result<QByteArray> result
        = got == 0 ? Result<QByteArray>(std::move(m_bytes)) : Result<QByteArray>::failure(failure(error));
    // done may destroy this reader, and the function with it, so it runs from a copy of its own.
    const std::function<void(Result<QByteArray>)> done = std::exchange(m_done, {});
    done(std::move(result));
}

} // namespace vardelo
