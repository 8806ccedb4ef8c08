#pragma once

#include <functional>

#include <QTimer>

#include "platform/Timer.h"

namespace vardelo {

/// A Timer over QTimer, a precise one: a coarse timer may tick 5 % early or late, which at 10 ms is the whole
/// margin of a capture and at 1 s makes a clock show one second twice and skip the next.
///
/// On Windows, Qt makes every precise timer a multimedia timer, which keeps a thread (under wine, one that
/// wakes every 10 ms) and the system's fine timer resolution busy for as long as it runs; there a timer of
/// more than 20 ms is Windows' own timer, late by at most 5 % and early by at most one clock tick (15.6 ms).
class QtTimer final : public Timer
{
public:
    QtTimer(std::chrono::milliseconds interval, std::function<void()> onTick);

    void start() override { startFor(m_interval); }
    void startIn(std::chrono::milliseconds firstTick) override { startFor(firstTick); }
    void stop() override { m_timer.stop(); }
    bool isActive() const override { return m_timer.isActive(); }
    std::chrono::milliseconds interval() const override { return m_interval; }

private:
    void startFor(std::chrono::milliseconds firstTick);

    const std::chrono::milliseconds m_interval;
    QTimer m_timer;
};

} // namespace vardelo
