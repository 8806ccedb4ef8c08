#include <cstdio>

#include <QApplication>

#include "app/Splash.h"
#include "platform/qt/DesktopPlatform.h"
#include "platform/qt/DesktopSession.h"
#include "platform/qt/QtTranslation.h"
#include "windows/ProgramWindows.h"

int main(int argc, char* argv[])
{
    if (const QString problem = vardelo::prepareDesktopSession(); !problem.isEmpty()) {
        std::fputs(qPrintable(problem + QLatin1Char('\n')), stderr);
        return 1;
    }
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Vardelo"));
    QCoreApplication::setApplicationVersion(QStringLiteral(VARDELO_VERSION));
    // The program ends when its last window has gone, hidden ones included; it says so itself.
    QApplication::setQuitOnLastWindowClosed(false);
    if (!vardelo::loadQtTranslation(app)) {
        std::fputs(qPrintable(QStringLiteral("Vardelo: перевод Qt (qtbase_ru.qm) не найден, меню полей ввода "
                                             "останутся на английском.\n")),
            stderr);
    }

    const std::unique_ptr<vardelo::PlatformServices> platform = vardelo::createDesktopPlatform();
    vardelo::ProgramWindows windows(*platform);
    QObject::connect(&windows, &vardelo::ProgramWindows::allClosed, &app, &QCoreApplication::quit);
    auto* splash = new vardelo::Splash(*platform, windows); // deletes itself when closed, or with windows
    windows.adoptSplash(splash);
    splash->show();
    return QApplication::exec();
}
