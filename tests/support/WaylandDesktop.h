#pragma once

#include <cstdio>

#include <QApplication>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <QWindow>

namespace vardelo::test {

/// What another program does on a Wayland desktop: copy with wl-copy, hold the focus with a window of its own.
namespace wayland {

/// The argument that makes a test program the other program, whose window takes the focus.
inline constexpr char HoldFocus[] = "--hold-focus";

/// Copies with wl-copy, which offers the text from the background until a newer copy replaces it.
inline bool wlCopy(const QStringList& arguments, const QString& inputFile = QString())
{
    QProcess copy;
    copy.setStandardInputFile(inputFile.isEmpty() ? QProcess::nullDevice() : inputFile);
    copy.start(QStringLiteral("wl-copy"), arguments);
    return copy.waitForFinished(30000) && copy.exitCode() == 0;
}

/// A window of another program, that says "focused" once it has the focus; called by a test program started
/// with HoldFocus.
inline int holdFocus()
{
    QWidget window;
    window.setWindowTitle(QStringLiteral("other program"));
    QObject::connect(qApp, &QGuiApplication::focusWindowChanged, &window, [](const QWindow* focused) {
        if (focused != nullptr) {
            std::puts("focused");
            std::fflush(stdout);
        }
    });
    window.show();
    return QApplication::exec();
}

/// Starts this test program as the other program, on Qt's platform qpa ("wayland" or "xcb"); true once its
/// window has the focus.
inline bool startFocusHolder(QProcess& other, const QString& qpa)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), qpa);
    other.setProcessEnvironment(environment);
    other.start(QCoreApplication::applicationFilePath(), {QString::fromLatin1(HoldFocus)});
    QByteArray said;
    while (!said.contains("focused")) {
        if (!other.waitForReadyRead(20000)) {
            return false;
        }
        said += other.readAll();
    }
    return true;
}

} // namespace wayland

} // namespace vardelo::test
