#include "windows/ReadGate.h"

namespace vardelo {

void ReadGate::enter()
{
    const std::lock_guard lock(m_mutex);
    ++m_reads;
}

void ReadGate::leave(const std::function<void()>& told)
{
    const std::lock_guard lock(m_mutex);
    --m_reads;
    told();
    if (m_reads == 0) {
        m_free.notify_all();
    }
}

bool ReadGate::busy() const
{
    const std::lock_guard lock(m_mutex);
    return m_reads > 0;
}

void ReadGate::waitUntilFree() const
{
    std::unique_lock lock(m_mutex);
    m_free.wait(lock, [this] { return m_reads == 0; });
}

} // namespace vardelo
