#pragma once

#include <condition_variable>
#include <functional>
#include <mutex>

namespace vardelo {

/// Counts the reads of something that run on other threads, so that its owner can wait for them to end before
/// it changes or destroys what they read.
class ReadGate final
{
public:
    ReadGate() = default;
    ReadGate(const ReadGate&) = delete;
    ReadGate& operator=(const ReadGate&) = delete;

    /// A read is handed over to another thread.
    void enter();
    /// A read has ended, or will never run; from any thread. told runs before the gate lets the read go, so
    /// that whoever waits for the gate to open cannot go meanwhile and whoever asks busy() cannot hear "busy"
    /// after it has run for the last read.
    void leave(const std::function<void()>& told);
    /// Whether a read has not ended yet.
    bool busy() const;
    /// Returns once every read has ended.
    void waitUntilFree() const;

private:
    mutable std::mutex m_mutex;
    mutable std::condition_variable m_free;
    int m_reads = 0;
};

} // namespace vardelo
