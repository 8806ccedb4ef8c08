#pragma once

#include <windows.h>

namespace vardelo::test {

/// Microseconds of Windows' performance counter: the same clock in every process, so that a copy stamped by
/// one program can be timed by another.
inline long long performanceMicroseconds()
{
    LARGE_INTEGER counter {};
    LARGE_INTEGER frequency {};
    QueryPerformanceCounter(&counter);
    QueryPerformanceFrequency(&frequency);
    return counter.QuadPart / frequency.QuadPart * 1000000
        + counter.QuadPart % frequency.QuadPart * 1000000 / frequency.QuadPart;
}

} // namespace vardelo::test
