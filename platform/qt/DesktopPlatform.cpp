#include "platform/qt/DesktopPlatform.h"

#include <QGuiApplication>

#include "platform/clipboard/qt/QClipboardReader.h"
#include "platform/qt/QtPlatform.h"
#ifdef VARDELO_WITH_WAYLAND
#include "platform/clipboard/wayland/WaylandClipboardReader.h"
#endif
#ifdef VARDELO_WITH_WIN32
#include "platform/clipboard/win32/Win32ClipboardReader.h"
#endif
#ifdef VARDELO_WITH_X11
#include "platform/clipboard/x11/X11ClipboardReader.h"
#endif

namespace vardelo {

namespace {

std::unique_ptr<ClipboardReader> createClipboardReader()
{
#ifdef VARDELO_WITH_X11
    // QClipboard waits for the owner's answer on X11; the X11 reader never does.
    if (QGuiApplication::platformName() == QLatin1String("xcb")) {
        if (std::unique_ptr<X11ClipboardReader> reader = X11ClipboardReader::create()) {
            return reader;
        }
    }
#endif
#ifdef VARDELO_WITH_WAYLAND
    // QClipboard sees Wayland copies only while the program has the focus; data control sees them all.
    if (QGuiApplication::platformName().startsWith(QLatin1String("wayland"))) {
        if (std::unique_ptr<WaylandClipboardReader> reader = WaylandClipboardReader::create()) {
            return reader;
        }
    }
#endif
#ifdef VARDELO_WITH_WIN32
    // QClipboard changes the line ends of Windows texts and reads a busy clipboard as an empty one.
    if (QGuiApplication::platformName() == QLatin1String("windows")) {
        if (std::unique_ptr<Win32ClipboardReader> reader = Win32ClipboardReader::create()) {
            return reader;
        }
    }
#endif
    return std::make_unique<QClipboardReader>();
}

} // namespace

std::unique_ptr<PlatformServices> createDesktopPlatform()
{
    return std::make_unique<QtPlatform>(createClipboardReader());
}

} // namespace vardelo
