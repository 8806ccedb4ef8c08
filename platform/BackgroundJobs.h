#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include <QObject>

namespace vardelo {

/// Runs jobs one at a time, in the order they were given, on a thread of its own, and tells how each ended on
/// the event loop of the thread that made this. A job's work returns what is to run on the event loop once it
/// has ended; that is handed over under a lock of its own, so nothing a job made is read before it is done.
class BackgroundJobs final
{
public:
    /// The work of a job, on the jobs' thread; returns what to run on the event loop afterwards.
    using Work = std::function<std::function<void()>()>;

    BackgroundJobs();
    /// Waits for the jobs still to run: the program never ends with one half done.
    ~BackgroundJobs();
    BackgroundJobs(const BackgroundJobs&) = delete;
    BackgroundJobs& operator=(const BackgroundJobs&) = delete;

    void run(Work work);

private:
    void serve();
    void tellEnded();

    /// Where the ends are told.
    QObject m_eventLoop;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<Work> m_waiting;
    std::deque<std::function<void()>> m_ended;
    bool m_stopping = false;
    std::thread m_thread;
};

} // namespace vardelo
