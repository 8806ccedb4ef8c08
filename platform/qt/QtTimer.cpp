#include "platform/qt/QtTimer.h"

namespace vardelo {

QtTimer::QtTimer(std::chrono::milliseconds interval, std::function<void()> onTick)
    : m_interval(interval)
{
    m_timer.setInterval(interval);
    m_timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&m_timer, &QTimer::timeout, &m_timer, [this, onTick = std::move(onTick)] {
        // After a first tick of its own, the timer goes back to its interval.
        if (m_timer.intervalAsDuration() != m_interval) {
            m_timer.setInterval(m_interval);
        }
        onTick();
    });
}

} // namespace vardelo
