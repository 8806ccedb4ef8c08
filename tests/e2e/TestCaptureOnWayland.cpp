#include <cstdio>

#include <QApplication>
#include <QProcess>
#include <QTemporaryFile>
#include <QTest>
#include <QWindow>

#include "platform/qt/DesktopPlatform.h"
#include "tests/support/ProcessMemory.h"
#include "tests/support/WaylandDesktop.h"
#include "windows/DocumentBox.h"
#include "windows/MainWindow.h"
#include "windows/ProgramWindows.h"

using namespace vardelo;
using namespace vardelo::test::wayland;
using vardelo::test::processMemory;

namespace {

const QString Sep = QStringLiteral("\r\n---------------\r\n");

bool clipboardIsEmpty()
{
    QProcess paste;
    paste.start(QStringLiteral("wl-paste"), {QStringLiteral("--list-types")});
    return paste.waitForFinished(30000) && paste.exitCode() != 0;
}

} // namespace

/// The program's main window on the desktop platform it chooses, on a Wayland compositor without X11, with
/// copies made by another program while a window of a third one has the focus.
class TestCaptureOnWayland : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void everyCopyIsCollectedWithoutTheFocus()
    {
        // What the clipboard holds at the start is the first entry.
        QVERIFY(wlCopy({QStringLiteral("already there")}));
        const std::unique_ptr<PlatformServices> platform = createDesktopPlatform();
        ProgramWindows windows(*platform);
        MainWindow& main = windows.showMain();
        const auto* box = main.findChild<DocumentBox*>(QStringLiteral("vardelo"));
        const auto document = [box] { return box->text().value(); };
        QString expected = Sep + "already there";
        QTRY_COMPARE_WITH_TIMEOUT(document(), expected, 10000);

        QTRY_VERIFY_WITH_TIMEOUT(main.isActiveWindow(), 10000);
        QProcess other;
        QVERIFY(startFocusHolder(other, QStringLiteral("wayland")));
        QTRY_VERIFY_WITH_TIMEOUT(!main.isActiveWindow(), 10000);

        // U+FEFF is a character like any other, wherever it stands.
        for (const QString& text :
            {QStringLiteral("\ufefffirst"), QStringLiteral("второй\r\nтекст"), QStringLiteral("third\ufeff")}) {
            QVERIFY(wlCopy({text}));
            expected += Sep + text;
            QTRY_COMPARE_WITH_TIMEOUT(document(), expected, 10000);
        }

        // A source that exits leaves the clipboard with nothing, and the collection as it was; so does a
        // password manager's secret.
        QProcess source;
        source.start(QStringLiteral("wl-copy"), {QStringLiteral("--foreground"), QStringLiteral("gone")});
        expected += Sep + "gone";
        QTRY_COMPARE_WITH_TIMEOUT(document(), expected, 10000);
        source.kill();
        QVERIFY(source.waitForFinished(10000));
        QTRY_VERIFY_WITH_TIMEOUT(clipboardIsEmpty(), 10000);
        // Long enough for the reader to hear of it and for the capture to tick many times.
        QTest::qWait(500);
        QVERIFY(wlCopy({QStringLiteral("--type"), QStringLiteral("x-kde-passwordManagerHint"), "secret"}));
        QTest::qWait(500);
        QCOMPARE(document(), expected);

        // A large text arrives whole.
        QByteArray large;
        for (int line = 0; large.size() < 5 * 1024 * 1024; ++line) {
            large += QStringLiteral("%1: съешь же ещё этих мягких булок\r\n").arg(line).toUtf8();
        }
        QTemporaryFile file;
        QVERIFY(file.open() && file.write(large) == large.size() && file.flush());
        QVERIFY(wlCopy({}, file.fileName()));
        expected += Sep + QString::fromUtf8(large);
        QTRY_COMPARE_WITH_TIMEOUT(document(), expected, 30000);
        QVERIFY(!main.isActiveWindow());

        // A source that never stops writing: the read ends at the limit with nothing collected, its memory is
        // given back, and the next copy is collected.
        [[maybe_unused]] const qint64 before = processMemory("VmRSS:");
        QProcess endless;
        endless.start(QCoreApplication::applicationDirPath() + QStringLiteral("/vardelo_endless_source"), {});
        QByteArray said;
        QTRY_VERIFY_WITH_TIMEOUT((said += endless.readAll()).contains("owning"), 10000);
        QTRY_COMPARE_WITH_TIMEOUT(platform->clipboard().read().reason(), tooLargeToRead(), 60000);
        QVERIFY(wlCopy({QStringLiteral("after the endless one")}));
        expected += Sep + "after the endless one";
        QTRY_COMPARE_WITH_TIMEOUT(document(), expected, 10000);
        QTRY_COMPARE_WITH_TIMEOUT(endless.state(), QProcess::NotRunning, 10000);
#ifndef __SANITIZE_ADDRESS__
        // The sanitizer's allocator keeps freed memory for a while and pads the rest.
        const qint64 peak = processMemory("VmHWM:");
        QVERIFY2(peak - before <= MaxClipboardBytes + 64 * 1024 * 1024,
            qPrintable(QStringLiteral("from %1 MB to %2 MB").arg(before >> 20).arg(peak >> 20)));
#endif
        other.kill();
        other.waitForFinished(10000);
    }
};

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    if (argc > 1 && qstrcmp(argv[1], HoldFocus) == 0) {
        return holdFocus();
    }
    TestCaptureOnWayland test;
    return QTest::qExec(&test, argc, argv);
}

#include "TestCaptureOnWayland.moc"
