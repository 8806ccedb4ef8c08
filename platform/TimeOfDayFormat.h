#pragma once

#include <QString>

class QLocale;

namespace vardelo {

/// The locale's time format with seconds and without a time zone, for a clock that ticks every second.
[[nodiscard]] QString timeOfDayFormat(const QLocale& locale);

} // namespace vardelo
