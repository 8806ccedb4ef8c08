#pragma once

#include <QString>

namespace vardelo {

class PlatformServices;

/// Who made the program, as the help message credits it.
inline constexpr const char* Authors = "команда Vardelo";

/// The help text: four lines joined by CR LF.
[[nodiscard]] QString helpText();

/// Shows the help message and returns when the user dismisses it.
void showHelp(PlatformServices& platform);

} // namespace vardelo
