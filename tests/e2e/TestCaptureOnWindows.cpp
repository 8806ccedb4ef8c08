#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QTest>
#include <QToolButton>

#include "platform/clipboard/win32/Win32ClipboardReader.h"
#include "platform/qt/DesktopPlatform.h"
#include "platform/textfile/TextFileEncoding.h"
#include "tests/support/ModalWatcher.h"
#include "tests/support/WindowsClipboardOwner.h"
#include "windows/DocumentBox.h"
#include "windows/MainWindow.h"
#include "windows/ProgramWindows.h"
#include "windows/SaveWindow.h"

using namespace vardelo;

namespace {
const QString Sep = QStringLiteral("\r\n---------------\r\n");
}

/// The program on Windows, with copies made by another Windows program, and its file on drive C.
class TestCaptureOnWindows : public QObject
{
    Q_OBJECT

private:
    QString document() const { return m_windows->main()->findChild<DocumentBox*>("vardelo")->text().value(); }

    /// Copies in the owner and waits until the document is what it was with expected added.
    void collect(const QByteArray& bytes, const QStringList& options, const QString& expected)
    {
        const QString before = document();
        QVERIFY(m_owner.copy(bytes, options));
        QTRY_COMPARE_WITH_TIMEOUT(document(), before + expected, 5000);
    }

private Q_SLOTS:
    void init()
    {
        // A picture holds no text, so whatever an earlier test copied is not collected at the start.
        QVERIFY(m_owner.copy({}, {QStringLiteral("--picture")}));
        m_platform = createDesktopPlatform();
        m_windows = std::make_unique<ProgramWindows>(*m_platform);
        m_windows->showMain();
    }
    void cleanup()
    {
        m_owner.finish();
        m_windows.reset();
        m_platform.reset();
    }

    void collectsTextsExactlyAndSavesThemOnDriveC()
    {
        // Every line end as its owner gave it: Qt's own clipboard would turn CR LF into LF.
        const QString mixed = QStringLiteral("Первая строка\r\nвторая\rтретья\nконец");
        collect(mixed.toUtf8(), {}, Sep + mixed);
        // 8-bit text, which Windows hands over as Unicode; Qt's own clipboard would drop its CRs.
        collect("plain\r\ntext", {QStringLiteral("--ansi")}, Sep + QStringLiteral("plain\r\ntext"));
        // A picture alone is no text: an entry with nothing in it.
        collect({}, {QStringLiteral("--picture")}, Sep);
        collect("после картинки", {}, Sep + QStringLiteral("после картинки"));

        const QString name = QStringLiteral("Выписки %1").arg(QCoreApplication::applicationPid());
        const QString path = QStringLiteral("C:/%1.txt").arg(name);
        QFile::remove(path);
        test::ModalWatcher watcher;
        QTest::mouseClick(m_windows->main()->findChild<QToolButton*>("Command2"), Qt::LeftButton);
        m_windows->save()->findChild<QLineEdit*>("names")->setText(name);
        QTest::mouseClick(m_windows->save()->findChild<QToolButton*>("Command1"), Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(watcher.answered, 1, 10000);
        QCOMPARE(watcher.text, QStringLiteral("Вся информация сохранена в файл C:\\%1.TXT").arg(name));

        QFile file(path);
        QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(path));
        QCOMPARE(file.readAll(), encodeWindows1251(document()).value());
        QVERIFY(file.remove());

        // A byte-order mark is text like any other, even at the start.
        const QString marked = QStringLiteral("\uFEFFс меткой");
        collect(marked.toUtf8(), {}, Sep + marked);
    }

    void aClipboardHeldOpenIsAFailedReadUntilItIsReleased()
    {
        // The owner copies, then holds the clipboard open for a second, as a clipboard monitor may do just
        // when the program comes to read it. A reader that knows nothing yet has to open it.
        QVERIFY(m_owner.copy("после", {QStringLiteral("--hold-after-ms"), QStringLiteral("1000")}, "holding"));
        const std::unique_ptr<Win32ClipboardReader> reader = Win32ClipboardReader::create();
        QVERIFY(reader != nullptr);
        int notices = 0;
        reader->setChangeListener([&notices] { ++notices; });
        QVERIFY(!reader->read().ok());
        QTest::qWait(300);
        QVERIFY(!reader->read().ok());

        // Once released, the reader says so by itself and reads the text.
        QVERIFY(m_owner.waitFor("released"));
        notices = 0;
        QTRY_VERIFY_WITH_TIMEOUT(notices > 0 && reader->read().ok(), 3000);
        QCOMPARE(reader->read().value().text, QStringLiteral("после"));
        QVERIFY(!reader->read().value().secret);
    }

    void secretsAreNotCollected_data()
    {
        QTest::addColumn<QString>("mark");
        QTest::newRow("excluded from monitors") << QStringLiteral("exclude");
        QTest::newRow("viewer ignore") << QStringLiteral("ignore");
        QTest::newRow("not for the history") << QStringLiteral("history");
    }
    void secretsAreNotCollected()
    {
        QFETCH(QString, mark);
        collect("открыто", {}, Sep + QStringLiteral("открыто"));
        const QString before = document();
        QVERIFY(m_owner.copy("пароль", {QStringLiteral("--secret"), mark}));
        // The next ordinary copy shows that the capture ran over the secret.
        collect("дальше", {}, Sep + QStringLiteral("дальше"));
        QCOMPARE(document(), before + Sep + QStringLiteral("дальше"));
    }

private:
    std::unique_ptr<PlatformServices> m_platform;
    std::unique_ptr<ProgramWindows> m_windows;
    test::WindowsClipboardOwner m_owner;
};

QTEST_MAIN(TestCaptureOnWindows)
#include "TestCaptureOnWindows.moc"
