#include "platform/clipboard/wayland/PipeReader.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

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

PipeReader::PipeReader(std::function<bool(QByteArrayView)> received, std::function<void(Status)> ended)
    : m_buffer(ChunkSize, Qt::Uninitialized)
    , m_received(std::move(received))
    , m_ended(std::move(ended))
{ }

PipeReader::~PipeReader()
{
    close();
}

void PipeReader::close()
{
    m_notifier.reset();
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
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
    const ssize_t got = ::read(m_fd, m_buffer.data(), ChunkSize);
    if (got > 0) {
        if (!m_received(QByteArrayView(m_buffer.constData(), got))) {
            // The notifier is running this: it goes once the event loop is done with it.
            m_notifier->setEnabled(false);
            m_notifier.release()->deleteLater();
            close();
        }
        return;
    }
    if (got < 0 && (errno == EAGAIN || errno == EINTR)) {
        return;
    }
    const Status status = got == 0 ? Status::success() : Status::failure(failure(errno));
    m_notifier->setEnabled(false);
    // ended may destroy this reader, and the function with it, so it runs from a copy of its own.
    const std::function<void(Status)> ended = std::exchange(m_ended, {});
    ended(status);
}

} // namespace vardelo
