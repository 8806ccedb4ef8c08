#pragma once

#include <QString>

namespace vardelo {

/// Chooses how to reach the desktop before the application starts. Returns an empty string when a
/// desktop can be reached, or else a message saying why not (Qt would otherwise abort).
///
/// On a Wayland session that also offers X11, the program runs on X11: Wayland shows a program the
/// clipboard only while one of its windows has the focus, and the collection must see every copy.
QString prepareDesktopSession();

} // namespace vardelo
