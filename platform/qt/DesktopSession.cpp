#include "platform/qt/DesktopSession.h"

#include <QtGlobal>

#ifdef VARDELO_WITH_WAYLAND
#include "platform/clipboard/wayland/DataControlDevice.h"
#endif

namespace vardelo {

#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
namespace {

/// Whether the Wayland compositor shows every copy to a program that does not have the focus.
bool waylandShowsEveryCopy()
{
#ifdef VARDELO_WITH_WAYLAND
    return DataControlDevice::offeredByCompositor();
#else
    return false;
#endif
}

} // namespace
#endif

QString prepareDesktopSession()
{
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
    // The user's own choice wins.
    if (qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) {
        return {};
    }
    const bool x11 = !qEnvironmentVariableIsEmpty("DISPLAY");
    const bool wayland = !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
    // Without X11, Qt's own choice may be X11 all the same, which it cannot reach.
    if (wayland && (!x11 || waylandShowsEveryCopy())) {
        qputenv("QT_QPA_PLATFORM", "wayland");
        return {};
    }
    if (x11) {
        qputenv("QT_QPA_PLATFORM", "xcb");
        return {};
    }
    return QStringLiteral("Vardelo: нет графического сеанса (не заданы DISPLAY и WAYLAND_DISPLAY). "
                          "Запустите программу из рабочего стола.\n"
                          "Vardelo needs a graphical session, but neither DISPLAY nor WAYLAND_DISPLAY is set.");
#else
    return {};
#endif
}

} // namespace vardelo
