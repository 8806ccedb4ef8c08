#pragma once

#include <functional>
#include <memory>

#include <QByteArray>
#include <QByteArrayView>

#include "platform/Outcome.h"

class QSocketNotifier;

namespace vardelo {

/// Reads what another program writes into a pipe until it closes its end, without ever waiting on it: a
/// piece each time the pipe holds some, so that a text of many megabytes arrives whole while the event loop
/// goes on.
class PipeReader final
{
public:
    /// received gets each piece as it arrives and says whether to go on: false closes the pipe at once, which
    /// tells the writer that nobody reads any more, and ended is not called. ended gets success once the writer
    /// has closed its end, or why the pipe could not be read, and may destroy the reader.
    PipeReader(std::function<bool(QByteArrayView)> received, std::function<void(Status)> ended);
    /// Closing the pipe tells a writer that is still writing that nobody reads any more.
    ~PipeReader();
    PipeReader(const PipeReader&) = delete;
    PipeReader& operator=(const PipeReader&) = delete;

    /// Opens the pipe and hands its writing end to handOver, which must take a copy of it, as a Wayland request
    /// does; this reader's copy is closed when handOver returns.
    Status open(const std::function<void(int)>& handOver);

private:
    void readSome();
    void close();

    int m_fd = -1;
    std::unique_ptr<QSocketNotifier> m_notifier;
    QByteArray m_buffer;
    std::function<bool(QByteArrayView)> m_received;
    std::function<void(Status)> m_ended;
};

} // namespace vardelo
