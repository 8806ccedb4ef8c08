#pragma once

#include <QString>

namespace vardelo {

/// Chooses how to reach the desktop before the application starts. Returns an empty string when a
/// desktop can be reached, or else a message saying why not (Qt would otherwise abort).
///
/// A QT_QPA_PLATFORM that the user set is left as it is. On a Wayland session whose compositor offers data
/// control, which shows every copy whichever program has the focus, the program runs on Wayland, whether or
/// not X11 (XWayland) is there too: such compositors show an X11 program the clipboard only while an X11
/// window has the focus. Where the compositor offers no data control (GNOME) it runs on X11 if it can, and
/// on Wayland otherwise. Asks the compositor over a short connection of its own.
QString prepareDesktopSession();

} // namespace vardelo
