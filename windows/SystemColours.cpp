#include "windows/SystemColours.h"

#include <QPalette>
#include <QWidget>

namespace vardelo {

void useDesktopColour(QWidget* widget)
{
    QPalette palette = widget->palette();
    const QColor desktop = palette.color(QPalette::Highlight);
    palette.setColor(QPalette::Window, desktop);
    palette.setColor(QPalette::Button, desktop);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

void useDesktopColourForTextBox(QWidget* box)
{
    QPalette palette = box->palette();
    const QColor desktop = palette.color(QPalette::Highlight);
    const QColor windowBackground = palette.color(QPalette::HighlightedText);
    palette.setColor(QPalette::Base, desktop);
    palette.setColor(QPalette::Text, windowBackground);
    // Selected text is drawn inverted; the usual selection colours would match the box's own.
    palette.setColor(QPalette::Highlight, windowBackground);
    palette.setColor(QPalette::HighlightedText, desktop);
    box->setPalette(palette);
}

} // namespace vardelo
