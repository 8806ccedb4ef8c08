#include "platform/qt/DesktopPlatform.h"

#include "platform/qt/QClipboardReader.h"
#include "platform/qt/QtPlatform.h"

namespace vardelo {

std::unique_ptr<PlatformServices> createDesktopPlatform()
{
    return std::make_unique<QtPlatform>(std::make_unique<QClipboardReader>());
}

} // namespace vardelo
