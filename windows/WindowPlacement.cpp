#include "windows/WindowPlacement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace vardelo {

void centreOnScreen(QWidget* window)
{
    const QScreen* screen = window->screen() != nullptr ? window->screen() : QGuiApplication::primaryScreen();
    if (screen == nullptr) {
        return;
    }
    QRect frame = window->frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    // The frame is not known before the window is first shown; the client area stands where it would.
    window->move(frame.topLeft() + (window->geometry().topLeft() - window->frameGeometry().topLeft()));
}

} // namespace vardelo
