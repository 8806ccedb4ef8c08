#pragma once

#include <memory>

#include "platform/PlatformServices.h"

namespace vardelo {

/// The platform services of the desktop the program runs on, with the clipboard reader that suits it.
/// Needs a QApplication.
std::unique_ptr<PlatformServices> createDesktopPlatform();

} // namespace vardelo
