#pragma once

#include <QAccessible>

class QWidget;

namespace vardelo {

/// Makes assistive technology take the widget for the given role, a frame or a dialog, where Qt reports a
/// window built on a plain widget as a mere client area. Nothing else about the widget changes: keys,
/// focus and buttons behave as before. Call it in the widget's constructor.
void setAccessibleRole(QWidget* widget, QAccessible::Role role);

} // namespace vardelo
