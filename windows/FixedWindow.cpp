#include "windows/FixedWindow.h"

#include <QIcon>
#include <QWidget>

#include "windows/SystemColours.h"

namespace vardelo {

void setUpFixedWindow(QWidget* window, const QString& name, const QString& caption, QSize clientArea)
{
    window->setObjectName(name);
    window->setWindowTitle(caption);
    window->setWindowIcon(QIcon(QStringLiteral(":/assets/vardelo.png")));
    window->setFixedSize(clientArea);
    useDesktopColour(window);
}

} // namespace vardelo
