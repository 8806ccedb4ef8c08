#include <QApplication>
#include <QLineEdit>
#include <QProcess>
#include <QTest>
#include <QToolButton>

#include "platform/fake/FakeClipboard.h"
#include "platform/qt/QtPlatform.h"
#include "platform/textfile/TextFileEncoding.h"
#include "tests/support/ModalWatcher.h"
#include "tests/support/TestFileSystem.h"
#include "windows/DocumentBox.h"
#include "windows/MainWindow.h"
#include "windows/ProgramWindows.h"
#include "windows/SaveWindow.h"

using namespace vardelo;

namespace {
const QString Sep = QStringLiteral("\r\n---------------\r\n");
const QString Application = QStringLiteral("vardelo-save-test");
} // namespace

/// Saving a large collection to a disk whose writes wait, on the real platform and its writer thread, while a
/// screen reader edits the box over AT-SPI, New is pressed and copies go on.
class TestSaveWhileHeld : public QObject
{
    Q_OBJECT

private:
    DocumentBox* box() const { return m_windows->main()->findChild<DocumentBox*>(QStringLiteral("vardelo")); }
    void collect(const QString& text)
    {
        const QString before = box()->text().value();
        m_clipboard->setText(text);
        QTRY_VERIFY_WITH_TIMEOUT(box()->text().value() == before + Sep + text && box()->isShowingEverything(), 30000);
    }
    /// Presses Save with the name «notes» and waits until the writer holds the collection, its first write
    /// waiting at the shut disk.
    void saveWhileTheDiskWaits()
    {
        m_disk->shut();
        QTest::mouseClick(m_windows->main()->findChild<QToolButton*>(QStringLiteral("Command2")), Qt::LeftButton);
        m_windows->save()->findChild<QLineEdit*>(QStringLiteral("names"))->setText(QStringLiteral("notes"));
        QTest::mouseClick(m_windows->save()->findChild<QToolButton*>(QStringLiteral("Command1")), Qt::LeftButton);
        QTRY_VERIFY(box()->editsHeld());
    }
    QByteArray saved() const
    {
        QFile file(m_disk->root() + QStringLiteral("notes.txt"));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<no file>");
    }
    QString collection() const
    {
        QString text;
        for (int line = 0; text.size() < 4 * 1024 * 1024; ++line) {
            text += QStringLiteral("%1. Съешь же ещё этих мягких французских булок, да выпей чаю.\r\n").arg(line);
        }
        return text;
    }

private Q_SLOTS:
    void init()
    {
        m_disk = std::make_unique<test::TestFileSystem>();
        QVERIFY2(m_disk->mounted(), "the tests' file system could not be mounted (FUSE)");
        // Files are saved in the home folder, here the tests' disk.
        qputenv("HOME", m_disk->root().toLocal8Bit());
        auto clipboard = std::make_unique<FakeClipboard>();
        m_clipboard = clipboard.get();
        m_platform = std::make_unique<QtPlatform>(std::move(clipboard));
        m_windows = std::make_unique<ProgramWindows>(*m_platform);
        m_windows->showMain();
    }
    void cleanup()
    {
        if (m_disk) {
            m_disk->open();
        }
        m_windows.reset();
        m_platform.reset();
        m_disk.reset();
    }

    void aScreenReaderWaitsForTheSave()
    {
        const QString large = collection();
        collect(large);
        QProcess reader;
        reader.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        reader.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral(VARDELO_SCREEN_READER), Application});
        QByteArray said;
        QTRY_VERIFY_WITH_TIMEOUT((said += reader.readAllStandardOutput()).contains("ready\n"), 60000);

        test::ModalWatcher watcher;
        saveWhileTheDiskWaits();
        // The calls reach the box while the writer walks its document, and are refused.
        for (const char* call : {"insert 5 ЧУЖОЕ\n", "delete 0 40\n", "insert 0 ещё\n"}) {
            reader.write(call);
            const qsizetype done = said.count("done\n") + 1;
            QTRY_VERIFY_WITH_TIMEOUT((said += reader.readAllStandardOutput()).count("done\n") == done, 20000);
        }
        m_clipboard->setText(QStringLiteral("во время сохранения"));
        m_disk->open();
        QTRY_COMPARE_WITH_TIMEOUT(watcher.answered, 1, 60000);
        QCOMPARE(watcher.title, QStringLiteral("Оповещение!"));
        QCOMPARE(saved(), encodeWindows1251(Sep + large).value());
        QTRY_VERIFY(box()->isShowingEverything());
        QCOMPARE(box()->text().value(), Sep + large + Sep + "во время сохранения");
        reader.closeWriteChannel();
        QVERIFY(reader.waitForFinished(10000));
    }

    void newDuringASaveToASlowDiskEmptiesTheBoxAtOnce()
    {
        const QString large = collection();
        collect(large);
        test::ModalWatcher watcher;
        saveWhileTheDiskWaits();
        QTest::mouseClick(m_windows->main()->findChild<QToolButton*>(QStringLiteral("Command4")), Qt::LeftButton);
        // At once, while the file is still being written.
        QCOMPARE(box()->text().value(), QString());
        QVERIFY(!box()->isReadOnly());
        QCOMPARE(watcher.answered, 0);
        collect(QStringLiteral("после"));
        m_disk->open();
        QTRY_COMPARE_WITH_TIMEOUT(watcher.answered, 1, 60000);
        QCOMPARE(watcher.title, QStringLiteral("Оповещение!"));
        QCOMPARE(saved(), encodeWindows1251(Sep + large).value());
        QCOMPARE(box()->text().value(), Sep + QStringLiteral("после"));
    }

private:
    std::unique_ptr<test::TestFileSystem> m_disk;
    FakeClipboard* m_clipboard = nullptr;
    std::unique_ptr<QtPlatform> m_platform;
    std::unique_ptr<ProgramWindows> m_windows;
};

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(Application);
    TestSaveWhileHeld test;
    return QTest::qExec(&test, argc, argv);
}

#include "TestSaveWhileHeld.moc"
