#include "platform/qt/DesktopSession.h"

#include <QtGlobal>

namespace vardelo {

QString prepareDesktopSession()
{
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
    if (qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) {
        return {};
    }
    const bool x11 = !qEnvironmentVariableIsEmpty("DISPLAY");
    const bool wayland = !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
    if (x11) {
        qputenv("QT_QPA_PLATFORM", "xcb");
        return {};
    }
    if (wayland) {
        // Qt's own choice may be X11, which without DISPLAY it cannot reach.
        qputenv("QT_QPA_PLATFORM", "wayland");
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
