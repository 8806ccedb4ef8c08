#pragma once

#include <functional>

#include <QTimer>

#include "platform/Timer.h"

namespace vardelo {

/// A Timer over QTimer. Short intervals use a precise timer so that a 10 ms tick keeps its pace.
class QtTimer final : public Timer
{
public:
    QtTimer(std::chrono::milliseconds interval, std::function<void()> onTick);

    void start() override { m_timer.start(); }
    void stop() override { m_timer.stop(); }
    bool isActive() const override { return m_timer.isActive(); }
    std::chrono::milliseconds interval() const override { return m_timer.intervalAsDuration(); }

private:
    QTimer m_timer;
};

} // namespace vardelo
