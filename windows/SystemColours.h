#pragma once

class QAbstractButton;
class QWidget;

namespace vardelo {

/// The program paints its windows, buttons, frames and labels in the desktop's colour and the text of its
/// boxes in the window background colour. Qt's palette has no desktop colour; the highlight colour is the
/// theme's accent colour and the highlighted-text colour is made to be read on it, so the pair keeps the
/// look and stays readable in light and dark themes alike.
void useDesktopColour(QWidget* widget);
/// A button whose face is drawn in the desktop colour. Styles that paint native faces (Windows') ignore the
/// palette, so such a button is drawn in Qt's Fusion style, which keeps to it.
void useDesktopColourForButton(QAbstractButton* button);
/// A text box: window-background text on the desktop colour.
void useDesktopColourForTextBox(QWidget* box);

} // namespace vardelo
