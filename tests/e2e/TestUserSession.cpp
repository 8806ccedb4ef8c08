#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include "tests/support/ClipboardOwner.h"
#include "tests/support/Desktop.h"

using namespace vardelo::test;

namespace {

/// Centres of controls, in the client areas of their windows.
const QPoint NewButton(8 + 44, 8 + 28);
const QPoint SaveButton(104 + 44, 8 + 28);
const QPoint HelpButton(296 + 44, 8 + 28);
const QPoint CloseButton(392 + 44, 8 + 28);
const QPoint NameBox(8 + 172, 32 + 9);
const QPoint SaveWindowButton(8 + 172, 56 + 12);
const QRect DocumentBox(8, 72, 617, 257);
const QByteArray Sep("\r\n---------------\r\n");

/// Where a point of a line of the document box stands, in the main window: the box's frame and the
/// document's margin, then lines of the default font.
QPoint inDocument(int line, int x)
{
    const QFontMetrics metrics(QGuiApplication::font());
    return DocumentBox.topLeft() + QPoint(2 + 4 + x, 2 + 4 + metrics.lineSpacing() * line + metrics.lineSpacing() / 2);
}

} // namespace

/// The built program as a user meets it: started from its file, fed by copies in another program, driven
/// by real clicks and keys on an X server, judged by the bytes of the file it saves.
class TestUserSession : public QObject
{
    Q_OBJECT

private:
    /// The window once it shows, or an empty string after 20 s.
    static QString waitForWindow(const QString& title, QSize size = QSize())
    {
        const QDeadlineTimer deadline(20000);
        QString window = desktop::findWindow(title, size);
        while (window.isEmpty() && !deadline.hasExpired()) {
            QTest::qWait(50);
            window = desktop::findWindow(title, size);
        }
        return window;
    }
    void answerMessage(const QString& title)
    {
        const QString box = waitForWindow(title);
        QVERIFY2(!box.isEmpty(), qPrintable(title));
        desktop::clickAt(box, QPoint(5, 5)); // the pointer on the box gives it the keyboard
        desktop::key(QStringLiteral("Return"));
        QTRY_VERIFY_WITH_TIMEOUT(desktop::findWindow(title).isEmpty(), 10000);
    }

    /// Starts the built program with this home folder and returns its main window, or an empty string.
    static QString startProgram(QProcess& program, const QString& home)
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("HOME"), home);
        environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
        program.setProcessEnvironment(environment);
        program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        program.start(QStringLiteral(VARDELO_BINARY), {});
        if (!program.waitForStarted(10000)) {
            return {};
        }
        return waitForWindow(QStringLiteral("Vardelo"), QSize(633, 337));
    }

    /// Saves under the name the save window has and returns the file's bytes.
    QByteArray saveWithTheNameShown(const QString& main, const QString& file)
    {
        desktop::clickAt(main, SaveButton);
        const QString save = waitForWindow(QStringLiteral("Сохранение"));
        if (save.isEmpty()) {
            return "no save window";
        }
        desktop::clickAt(save, SaveWindowButton);
        answerMessage(QStringLiteral("Оповещение!"));
        const QDeadlineTimer deadline(10000);
        while (!desktop::findWindow(QStringLiteral("Сохранение")).isEmpty() && !deadline.hasExpired()) {
            QTest::qWait(50);
        }
        QFile saved(file);
        return saved.open(QIODevice::ReadOnly) ? saved.readAll() : QByteArray("no file");
    }

    static void drag(const QString& window, QPoint from, QPoint to)
    {
        const QPoint start = desktop::windowPosition(window) + from;
        const QPoint end = desktop::windowPosition(window) + to;
        const auto move = [](QPoint at) {
            desktop::xdotool({QStringLiteral("mousemove"), QString::number(at.x()), QString::number(at.y())});
            QTest::qWait(150);
        };
        move(start);
        desktop::xdotool({QStringLiteral("mousedown"), QStringLiteral("1")});
        move(start + QPoint(20, 0)); // past the distance that starts a drag
        move(end);
        desktop::xdotool({QStringLiteral("mouseup"), QStringLiteral("1")});
        QTest::qWait(300);
    }

private Q_SLOTS:
    void editsInTheBoxAreSavedAsTheyShow()
    {
        ClipboardOwner owner;
        QVERIFY(owner.copy("XXXXXXXXXX YYYYYYYYYY"));
        QTemporaryDir home;
        const QString file = home.path() + QStringLiteral("/Безымянный.txt");
        QProcess program;
        const QString main = startProgram(program, home.path());
        QVERIFY(!main.isEmpty());
        QTest::qWait(500); // the first tick collects the text already copied

        // A word dragged to the end of its line, the third of the box: the separator ends the first two.
        const QPoint word = inDocument(2, QFontMetrics(QGuiApplication::font()).horizontalAdvance("XXXXX"));
        const QPoint wordOnScreen = desktop::windowPosition(main) + word;
        desktop::xdotool(
            {QStringLiteral("mousemove"), QString::number(wordOnScreen.x()), QString::number(wordOnScreen.y())});
        desktop::xdotool({QStringLiteral("click"), QStringLiteral("--repeat"), QStringLiteral("2"),
            QStringLiteral("--delay"), QStringLiteral("80"), QStringLiteral("1")});
        QTest::qWait(600); // no third click
        drag(main, word, inDocument(2, DocumentBox.width() - 60));
        QCOMPARE(saveWithTheNameShown(main, file), Sep + " YYYYYYYYYYXXXXXXXXXX");

        // Everything deleted and brought back by undo keeps its own line ends.
        desktop::clickAt(main, NewButton);
        QVERIFY(owner.copy("p\nq\rr"));
        QTest::qWait(500);
        desktop::clickAt(main, inDocument(2, 5));
        desktop::key(QStringLiteral("ctrl+a"));
        desktop::key(QStringLiteral("Delete"));
        desktop::key(QStringLiteral("ctrl+z"));
        QCOMPARE(saveWithTheNameShown(main, file), Sep + "p\nq\rr");

        // A copy that arrives while everything is selected does not join the selection.
        desktop::clickAt(main, inDocument(2, 5));
        desktop::key(QStringLiteral("ctrl+a"));
        QVERIFY(owner.copy("second"));
        QTest::qWait(500);
        desktop::key(QStringLiteral("Delete"));
        QCOMPARE(saveWithTheNameShown(main, file), Sep + "second");

        desktop::clickAt(main, CloseButton);
        QVERIFY(program.waitForFinished(10000));
    }

    void collectSaveAndClose()
    {
        // Text already on the clipboard when the program starts is its first entry.
        ClipboardOwner owner;
        QVERIFY(owner.copy("start"));

        QTemporaryDir home;
        QProcess program;
        const QString main = startProgram(program, home.path());
        QVERIFY(!main.isEmpty());
        // The program reads the clipboard within a few ticks of 10 ms; nothing on screen says when, so give
        // the first tick time to collect "start" before the next copy replaces it.
        QTest::qWait(500);

        QVERIFY(owner.copy(QStringLiteral("Первая выписка\r\nс переносом").toUtf8()));
        QTest::qWait(500);
        QVERIFY(owner.copy(QStringLiteral("№ 2 — «цитата»\nконец").toUtf8()));
        QTest::qWait(500);
        // The file's name is copied too, and pasted: xdotool types Cyrillic by remapping a key for each
        // letter, and a program that reads the new map a moment late loses letters.
        QVERIFY(owner.copy(QStringLiteral("Выписки").toUtf8()));
        QTest::qWait(500);

        desktop::clickAt(main, SaveButton);
        const QString save = waitForWindow(QStringLiteral("Сохранение"));
        QVERIFY(!save.isEmpty());
        desktop::clickAt(save, NameBox);
        desktop::key(QStringLiteral("ctrl+a"));
        desktop::key(QStringLiteral("ctrl+v"));
        desktop::clickAt(save, SaveWindowButton);
        answerMessage(QStringLiteral("Оповещение!"));
        if (QTest::currentTestFailed()) {
            return;
        }
        QTRY_VERIFY_WITH_TIMEOUT(desktop::findWindow(QStringLiteral("Сохранение")).isEmpty(), 10000);

        QFile saved(home.path() + QStringLiteral("/Выписки.txt"));
        QVERIFY2(saved.open(QIODevice::ReadOnly), qPrintable(QDir(home.path()).entryList(QDir::Files).join("|")));
        QCOMPARE(saved.readAll(),
            QByteArray("\r\n---------------\r\nstart\r\n---------------\r\n"
                       "\xCF\xE5\xF0\xE2\xE0\xFF \xE2\xFB\xEF\xE8\xF1\xEA\xE0\r\n"
                       "\xF1 \xEF\xE5\xF0\xE5\xED\xEE\xF1\xEE\xEC"
                       "\r\n---------------\r\n"
                       "\xB9 2 \x97 \xAB\xF6\xE8\xF2\xE0\xF2\xE0\xBB\n\xEA\xEE\xED\xE5\xF6"
                       "\r\n---------------\r\n\xC2\xFB\xEF\xE8\xF1\xEA\xE8"));

        desktop::clickAt(main, HelpButton);
        answerMessage(QStringLiteral("Справка"));
        if (QTest::currentTestFailed()) {
            return;
        }

        desktop::clickAt(main, CloseButton);
        QVERIFY(program.waitForFinished(10000));
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), 0);
    }
};

QTEST_MAIN(TestUserSession)
#include "TestUserSession.moc"
