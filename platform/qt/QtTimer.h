#pragma once

#include <functional>

#include <QTimer>

#include "platform/Timer.h"

namespace vardelo {

/// A Timer over QTimer, always a precise one: a coarse timer may tick 5 % early or late, which at 10 ms is
/// the whole margin of a capture and at 1 s makes a clock show one second twice and skip the next.
class QtTimer final : public Timer
{
public:
    QtTimer(std::chrono::milliseconds interval, std::function<void()> onTick);

    void start() override { m_timer.start(m_interval); }
    void startIn(std::chrono::milliseconds firstTick) override { m_timer.start(firstTick); }
    void stop() override { m_timer.stop(); }
    bool isActive() const override { return m_timer.isActive(); }
    std::chrono::milliseconds interval() const override { return m_interval; }

private:
    const std::chrono::milliseconds m_interval;
    QTimer m_timer;
};

} // namespace vardelo
