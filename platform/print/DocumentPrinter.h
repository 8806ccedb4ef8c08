#pragma once

#include "platform/Outcome.h"

namespace vardelo {

/// Prints plain text on the system's default printer in a font with Cyrillic glyphs, long lines wrapped
/// and pages broken. Fails when there is no default printer or it does not take the job.
Status printOnDefaultPrinter(const QString& document);

} // namespace vardelo
