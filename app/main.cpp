#include <cstdio>

#include <QApplication>

#include "platform/qt/DesktopSession.h"

int main(int argc, char* argv[])
{
    if (const QString problem = vardelo::prepareDesktopSession(); !problem.isEmpty()) {
        std::fputs(qPrintable(problem + QLatin1Char('\n')), stderr);
        return 1;
    }
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName("Vardelo");
    QCoreApplication::setApplicationVersion(VARDELO_VERSION);
    return 0;
}
