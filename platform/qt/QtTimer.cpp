#include "platform/qt/QtTimer.h"

namespace vardelo {

QtTimer::QtTimer(std::chrono::milliseconds interval, std::function<void()> onTick)
{
    using namespace std::chrono_literals;
    m_timer.setInterval(interval);
    // A coarse timer may be 5 % late on every tick; at 10 ms that is the whole margin of a capture.
    m_timer.setTimerType(interval < 1s ? Qt::PreciseTimer : Qt::CoarseTimer);
    QObject::connect(&m_timer, &QTimer::timeout, &m_timer, std::move(onTick));
}

} // namespace vardelo
