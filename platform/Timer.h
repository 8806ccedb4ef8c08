#pragma once

#include <chrono>

namespace vardelo {

/// A repeating timer whose tick runs on the event loop. A late timer ticks once; missed ticks are not queued.
class Timer
{
public:
    virtual ~Timer() = default;

    virtual void start() = 0;
    /// Starts the timer, or starts it afresh, so that its next tick comes after firstTick and the ones after
    /// that every interval.
    virtual void startIn(std::chrono::milliseconds firstTick) = 0;
    virtual void stop() = 0;
    virtual bool isActive() const = 0;
    virtual std::chrono::milliseconds interval() const = 0;
};

} // namespace vardelo
