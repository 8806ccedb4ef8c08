#pragma once

#include <QSize>
#include <QString>
#include <Qt>

class QWidget;

namespace vardelo {

/// A fixed dialog frame: a title bar with a close box, no minimise or maximise button.
inline constexpr Qt::WindowFlags FixedDialogFrame = Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint
    | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint;

/// Gives a window its name, caption, the program icon, a client area that cannot be resized and the
/// desktop colour.
void setUpFixedWindow(QWidget* window, const QString& name, const QString& caption, QSize clientArea);

} // namespace vardelo
