#include "windows/SystemColours.h"

#include <QAbstractButton>
#include <QApplication>
#include <QPalette>
#include <QPointer>
#include <QStyle>
#include <QStyleFactory>
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

void useDesktopColourForButton(QAbstractButton* button)
{
    useDesktopColour(button);
    if (button->style()->name() == QLatin1String("windowsvista")) {
        // One style for all the program's buttons, gone with the application.
        static QPointer<QStyle> fusion;
        if (fusion.isNull()) {
            fusion = QStyleFactory::create(QStringLiteral("Fusion"));
            fusion->setParent(QApplication::instance());
        }
        button->setStyle(fusion);
    }
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
