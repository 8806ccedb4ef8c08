#include "platform/BackgroundJobs.h"

#include <utility>

namespace vardelo {

BackgroundJobs::BackgroundJobs()
    : m_thread([this] { serve(); })
{ }

BackgroundJobs::~BackgroundJobs()
{
    {
        const std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_one();
    m_thread.join();
}

void BackgroundJobs::run(Work work)
{
    {
        const std::lock_guard lock(m_mutex);
        m_waiting.push_back(std::move(work));
    }
    m_wake.notify_one();
}

void BackgroundJobs::serve()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_stopping || !m_waiting.empty(); });
        if (m_waiting.empty()) {
            return;
        }
        Work work = std::move(m_waiting.front());
        m_waiting.pop_front();
        lock.unlock();
        std::function<void()> ended = work();
        work = nullptr;
        lock.lock();
        m_ended.push_back(std::move(ended));
        // Only a wake-up crosses to the event loop; what it runs is taken under the lock there.
        QMetaObject::invokeMethod(
            &m_eventLoop, [this] { tellEnded(); }, Qt::QueuedConnection);
    }
}

void BackgroundJobs::tellEnded()
{
    std::function<void()> ended;
    {
        const std::lock_guard lock(m_mutex);
        if (m_ended.empty()) {
            return;
        }
        ended = std::move(m_ended.front());
        m_ended.pop_front();
    }
    if (ended) {
        ended();
    }
}

} // namespace vardelo
