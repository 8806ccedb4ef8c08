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

void QtTimer::startFor(std::chrono::milliseconds firstTick)
{
#ifdef Q_OS_WIN
    m_timer.setTimerType(firstTick > std::chrono::milliseconds(20) && m_interval > std::chrono::milliseconds(20)
            ? Qt::CoarseTimer
            : Qt::PreciseTimer);
#endif
    m_timer.start(firstTick);
}

} // namespace vardelo
