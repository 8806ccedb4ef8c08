#pragma once

#include <QAccessible>
#include <QAccessibleInterface>

class QWidget;

namespace vardelo {

/// What assistive technology sees of a text box whose document must sometimes stay as it is: everything Qt's
/// own interface for the box offers, but for the editing calls (a screen reader's insert, delete, cut, paste,
/// set contents), which are refused while mayEdit() says no, as the box's own keys are. Qt's interface edits the
/// document directly and takes no notice of a read-only box.
///
/// Install it once for a class with installGuardedTextAccessible(); the widget tells through the callback.
void installGuardedTextAccessible(const char* className, bool (*mayEdit)(const QWidget* widget));

} // namespace vardelo
