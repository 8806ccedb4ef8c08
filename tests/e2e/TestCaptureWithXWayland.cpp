#include <QApplication>
#include <QProcess>
#include <QTest>

#include "platform/qt/DesktopPlatform.h"
#include "platform/qt/DesktopSession.h"
#include "tests/support/ClipboardOwner.h"
#include "tests/support/WaylandDesktop.h"
#include "windows/DocumentBox.h"
#include "windows/MainWindow.h"
#include "windows/ProgramWindows.h"

using namespace vardelo;
using namespace vardelo::test::wayland;

namespace {
const QString Sep = QStringLiteral("\r\n---------------\r\n");
}

/// The program's main window as a Wayland session with XWayland starts it, DISPLAY and WAYLAND_DISPLAY both
/// set, with copies made in Wayland programs while a Wayland window has the focus and in an X11 program while
/// an X11 window has it.
class TestCaptureWithXWayland : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void copiesFromBothKindsOfProgramAreCollectedInOrder()
    {
        QVERIFY(wlCopy({QStringLiteral("начало")}));
        const std::unique_ptr<PlatformServices> platform = createDesktopPlatform();
        ProgramWindows windows(*platform);
        MainWindow& main = windows.showMain();
        const auto* box = main.findChild<DocumentBox*>(QStringLiteral("vardelo"));
        const auto document = [box] { return box->text().value(); };
        QString expected = Sep + "начало";
        QTRY_COMPARE_WITH_TIMEOUT(document(), expected, 10000);

        QProcess waylandWindow;
        QVERIFY(startFocusHolder(waylandWindow, QStringLiteral("wayland")));
        for (const QString& text : {QStringLiteral("один"), QStringLiteral("два"), QStringLiteral("три")}) {
            QVERIFY(wlCopy({text}));
            expected += Sep + text;
            QTRY_COMPARE_WITH_TIMEOUT(document(), expected, 10000);
        }

        QProcess x11Window;
        QVERIFY(startFocusHolder(x11Window, QStringLiteral("xcb")));
        vardelo::test::ClipboardOwner xclip;
        QVERIFY(xclip.copy(QStringLiteral("из X11").toUtf8()));
        expected += Sep + QStringLiteral("из X11");
        QTRY_COMPARE_WITH_TIMEOUT(document(), expected, 10000);
        QTest::qWait(300);
        QCOMPARE(document(), expected);

        waylandWindow.kill();
        x11Window.kill();
        waylandWindow.waitForFinished(10000);
        x11Window.waitForFinished(10000);
    }
};

int main(int argc, char* argv[])
{
    if (argc > 1 && qstrcmp(argv[1], HoldFocus) == 0) {
        QApplication app(argc, argv);
        return holdFocus();
    }
    // As the program starts: the session decides where it runs.
    if (const QString problem = prepareDesktopSession(); !problem.isEmpty()) {
        qWarning("%s", qUtf8Printable(problem));
        return 1;
    }
    QApplication app(argc, argv);
    TestCaptureWithXWayland test;
    return QTest::qExec(&test, argc, argv);
}

#include "TestCaptureWithXWayland.moc"
