#pragma once

#include <QString>

namespace vardelo {

/// Chooses how to reach the desktop before the application starts. Returns an empty string when a
/// desktop can be reached, or else a message saying why not (Qt would otherwise abort).
///
/// On a Wayland session that also offers X11 (XWayland), the program runs on X11, where it sees every copy
/// on any desktop; GNOME, for one, shows the Wayland clipboard only to the program with the focus. Without
/// X11 it runs on Wayland, where the compositor's data-control protocol, if it has one, shows every copy.
QString prepareDesktopSession();

} // namespace vardelo
