#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include "tests/support/ClipboardOwner.h"
#include "tests/support/Desktop.h"

using namespace vardelo::test;

namespace {

/// Centres of controls, in the client areas of their windows.
const QPoint SaveButton(104 + 44, 8 + 28);
const QPoint HelpButton(296 + 44, 8 + 28);
const QPoint CloseButton(392 + 44, 8 + 28);
const QPoint NameBox(8 + 172, 32 + 9);
const QPoint SaveWindowButton(8 + 172, 56 + 12);

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

private Q_SLOTS:
    void collectSaveAndClose()
    {
        // Text already on the clipboard when the program starts is its first entry.
        ClipboardOwner owner;
        QVERIFY(owner.copy("start"));

        QTemporaryDir home;
        QProcess program;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("HOME"), home.path());
        environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
        program.setProcessEnvironment(environment);
        program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        program.start(QStringLiteral(VARDELO_BINARY), {});
        QVERIFY(program.waitForStarted(10000));

        const QString main = waitForWindow(QStringLiteral("Vardelo"), QSize(633, 337));
        QVERIFY(!main.isEmpty());
        // The program reads the clipboard within a few ticks of 10 ms; nothing on screen says when, so give
        // the first tick time to collect "start" before the next copy replaces it.
        QTest::qWait(500);

        QVERIFY(owner.copy(QStringLiteral("Первая выписка\r\nс переносом").toUtf8()));
        QTest::qWait(500);
        QVERIFY(owner.copy(QStringLiteral("№ 2 — «цитата»\nконец").toUtf8()));
        QTest::qWait(500);

        desktop::clickAt(main, SaveButton);
        const QString save = waitForWindow(QStringLiteral("Сохранение"));
        QVERIFY(!save.isEmpty());
        desktop::clickAt(save, NameBox);
        desktop::key(QStringLiteral("ctrl+a"));
        desktop::type(QStringLiteral("Выписки"));
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
                       "\xB9 2 \x97 \xAB\xF6\xE8\xF2\xE0\xF2\xE0\xBB\n\xEA\xEE\xED\xE5\xF6"));

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

QTEST_GUILESS_MAIN(TestUserSession)
#include "TestUserSession.moc"
