#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include "platform/fake/FakePlatform.h"
#include "tests/support/SavedConfirmation.h"
#include "tests/support/SmallDisk.h"
#include "tests/support/TestFileSystem.h"
#include "windows/DocumentBox.h"
#include "windows/HelpMessage.h"
#include "windows/MainWindow.h"
#include "windows/ProgramWindows.h"
#include "windows/SaveWindow.h"

using namespace vardelo;
using namespace std::chrono_literals;

namespace {
const QString Sep = QStringLiteral("\r\n---------------\r\n");

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<no file>");
}
} // namespace

class TestSaveWindow : public QObject
{
    Q_OBJECT

private:
    void copy(const QString& text)
    {
        m_platform->clipboard().setText(text);
        m_platform->advance(10ms);
    }
    void clickMain(const char* button)
    {
        QTest::mouseClick(m_windows->main()->findChild<QToolButton*>(QString::fromLatin1(button)), Qt::LeftButton);
    }
    QLineEdit* nameBox() const { return m_windows->save()->findChild<QLineEdit*>(QStringLiteral("names")); }
    void saveAs(const QString& name)
    {
        clickMain("Command2");
        nameBox()->setText(name);
        QTest::mouseClick(m_windows->save()->findChild<QToolButton*>(QStringLiteral("Command1")), Qt::LeftButton);
    }
    QString document() const { return m_windows->main()->readDocument().value(); }
    static void flushDeletes() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

private Q_SLOTS:
    void init()
    {
        m_home = std::make_unique<QTemporaryDir>();
        m_platform = std::make_unique<FakePlatform>();
        m_platform->setDriveRoot(m_home->path() + QLatin1Char('/'));
        m_windows = std::make_unique<ProgramWindows>(*m_platform);
        m_windows->showMain();
    }
    void cleanup()
    {
        m_windows.reset();
        m_platform.reset();
        m_home.reset();
    }

    void windowFollowsItsLayout()
    {
        clickMain("Command2");
        SaveWindow* save = m_windows->save();
        QVERIFY(save != nullptr && save->isVisible());
        QCOMPARE(save->windowTitle(), QStringLiteral("Сохранение"));
        QCOMPARE(save->size(), QSize(361, 89));
        QCOMPARE(save->findChild<QLabel*>(QStringLiteral("Label1"))->geometry(), QRect(8, 8, 345, 17));
        QCOMPARE(nameBox()->geometry(), QRect(8, 32, 345, 19));
        QCOMPARE(save->findChild<QToolButton*>(QStringLiteral("Command1"))->geometry(), QRect(8, 56, 345, 25));
        QCOMPARE(save->findChild<QToolButton*>(QStringLiteral("Command1"))->text(), QStringLiteral("Сохранить"));
        QCOMPARE(nameBox()->text(), QStringLiteral("Безымянный"));
        QCOMPARE(save->focusWidget(), nameBox());

        // The label says where the file goes and is read whole (where folders have drive letters, it names the
        // drive, which the test of the location checks).
#ifndef Q_OS_WIN
        const QLabel* label = save->findChild<QLabel*>(QStringLiteral("Label1"));
        QCOMPARE(label->text(), QStringLiteral("Введите Имя файла. Он будет в домашней папке."));
        QVERIFY(label->fontMetrics().horizontalAdvance(label->text()) <= label->width());
#endif
    }

    void savesTheDocumentAndConfirms_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("file");

        QTest::newRow("default name") << QStringLiteral("Безымянный") << QStringLiteral("Безымянный.txt");
        QTest::newRow("Cyrillic") << QStringLiteral("Отчёт по истории") << QStringLiteral("Отчёт по истории.txt");
        QTest::newRow("empty") << QString() << ".txt";
        QTest::newRow("spaces at the ends") << " x "
                                            << " x .txt";
        QTest::newRow("already .txt") << "a.txt"
                                      << "a.txt.txt";
        QTest::newRow("folder below") << "sub\\notes"
                                      << "sub/notes.txt";
    }
    void savesTheDocumentAndConfirms()
    {
        QFETCH(QString, name);
        QFETCH(QString, file);
        QVERIFY(QDir(m_home->path()).mkdir(QStringLiteral("sub")));
        copy(QStringLiteral("Привет, мир — № 1 «цитата» €"));
        copy(QStringLiteral("line\nfeed"));
        saveAs(name);

        const QString path = m_home->path() + QLatin1Char('/') + file;
        QCOMPARE(fileBytes(path),
            QByteArray("\r\n---------------\r\n\xCF\xF0\xE8\xE2\xE5\xF2, \xEC\xE8\xF0 \x97 \xB9 1 "
                       "\xAB\xF6\xE8\xF2\xE0\xF2\xE0\xBB \x88\r\n---------------\r\nline\nfeed"));
        QCOMPARE(m_platform->messages().size(), 1u);
        const Message& message = m_platform->messages().back();
        QCOMPARE(message.icon, Message::Icon::Information);
        QCOMPARE(message.title, QStringLiteral("Оповещение!"));
        QCOMPARE(message.text, test::savedConfirmation(QDir::cleanPath(path)));
        QVERIFY(!m_windows->save()->isVisible());

        // Shown again it keeps the name; saving again replaces the file with the document as it is now.
        clickMain("Command2");
        QVERIFY(m_windows->save()->isVisible());
        QCOMPARE(nameBox()->text(), name);
        QVERIFY(m_windows->main()->findChild<DocumentBox*>(QStringLiteral("vardelo"))->setText("new").ok());
        saveAs(name);
        QCOMPARE(fileBytes(path), QByteArray("new"));
    }

    void textOutsideWindows1251IsSavedAsUtf8AndSaysSo()
    {
        copy(QStringLiteral("Смайлик 😀 и α"));
        saveAs(QStringLiteral("emoji"));
        QCOMPARE(fileBytes(m_home->path() + QStringLiteral("/emoji.txt")),
            QByteArray("\xEF\xBB\xBF") + (Sep + QStringLiteral("Смайлик 😀 и α")).toUtf8());
        const QString text = m_platform->messages().back().text;
        QVERIFY(text.startsWith(QStringLiteral("Вся информация сохранена в файл ")));
        QVERIFY(text.contains(QStringLiteral("UTF-8")));
        QVERIFY(text.contains(QStringLiteral("Windows-1251")));
    }

    void failedSaveLosesNothing_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("reason");
        QTest::newRow("missing folder") << "нет такой папки\\x" << QStringLiteral("не найдена");
        QTest::newRow("a folder in the way") << "folder" << QStringLiteral("уже есть папка");
        QTest::newRow("outside the drive") << "..\\..\\etc\\x" << QStringLiteral("за её пределами");
        QTest::newRow("absolute path") << "\\tmp\\x" << QStringLiteral("за её пределами");
        QTest::newRow("NUL in the name") << QStringLiteral("a") + QChar(0) << QStringLiteral("недопустимый");
        QTest::newRow("name too long") << QString(300, QLatin1Char('x')) << QStringLiteral("слишком длинное");
    }
    void failedSaveLosesNothing()
    {
        QFETCH(QString, name);
        QFETCH(QString, reason);
        QVERIFY(QDir(m_home->path()).mkdir(QStringLiteral("folder.txt")));
        copy(QStringLiteral("keep"));
        saveAs(name);

        QCOMPARE(m_platform->messages().size(), 1u);
        const Message& message = m_platform->messages().back();
        QCOMPARE(message.icon, Message::Icon::Warning);
        QCOMPARE(message.title, QStringLiteral("Ошибка"));
        QVERIFY2(message.text.startsWith(QStringLiteral("Не удалось сохранить файл ")), qPrintable(message.text));
        QVERIFY2(message.text.section(QLatin1Char('\n'), 1).contains(reason), qPrintable(message.text));
        QVERIFY(!message.text.contains(QStringLiteral("Вся информация")));
        QVERIFY(m_windows->save()->isVisible());
        QCOMPARE(nameBox()->text(), name);
        QCOMPARE(document(), Sep + "keep");
        QCOMPARE(QDir(m_home->path()).entryList(QDir::Files | QDir::Hidden).size(), 0);
    }

    void fullOrReadOnlyDiskKeepsTheOldFile_data()
    {
        QTest::addColumn<bool>("readOnly");
        QTest::addColumn<QString>("reason");
        QTest::newRow("disk full") << false << QStringLiteral("не хватает места");
        QTest::newRow("read-only disk") << true << QStringLiteral("только для чтения");
    }
    void fullOrReadOnlyDiskKeepsTheOldFile()
    {
        QFETCH(bool, readOnly);
        QFETCH(QString, reason);
        test::SmallDisk disk(QStringLiteral("size=64k"));
        if (!disk.mounted()) {
            QSKIP("mounting a small tmpfs needs root");
        }
        m_platform->setDriveRoot(disk.root());
        m_windows.reset();
        m_windows = std::make_unique<ProgramWindows>(*m_platform);
        m_windows->showMain();
        copy(QStringLiteral("old"));
        saveAs(QStringLiteral("notes"));
        const QByteArray old = fileBytes(disk.root() + QStringLiteral("notes.txt"));
        QCOMPARE(old, Sep.toUtf8() + "old");
        if (readOnly) {
            QVERIFY(disk.makeReadOnly());
        }

        copy(QString(100 * 1024, QLatin1Char('x'))); // more than the disk holds
        saveAs(QStringLiteral("notes"));
        QCOMPARE(m_platform->messages().back().title, QStringLiteral("Ошибка"));
        QVERIFY2(m_platform->messages().back().text.contains(reason), qPrintable(m_platform->messages().back().text));
        QVERIFY(m_windows->save()->isVisible());
        QCOMPARE(fileBytes(disk.root() + QStringLiteral("notes.txt")), old);
        QCOMPARE(QDir(disk.root()).entryList(QDir::Files | QDir::Hidden), QStringList {"notes.txt"});
        QVERIFY(document().endsWith(QString(100 * 1024, QLatin1Char('x'))));
    }

    void aDiskThatMisbehavesIsToldAsItIs_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<bool>("written");
        QTest::addColumn<QString>("said");
        QTest::newRow("writes take nothing") << "--zero-writes" << false << QStringLiteral("перестал принимать данные");
        QTest::newRow("the folder does not sync")
            << "--fail-folder-sync" << true << QStringLiteral("записан, но может быть ещё не сохранён на диске");
    }
    void aDiskThatMisbehavesIsToldAsItIs()
    {
        QFETCH(QString, fault);
        QFETCH(bool, written);
        QFETCH(QString, said);
        const test::TestFileSystem disk({fault});
        if (!disk.mounted()) {
            QSKIP("mounting the tests' file system needs FUSE");
        }
        m_platform->setDriveRoot(disk.root());
        m_windows.reset();
        m_windows = std::make_unique<ProgramWindows>(*m_platform);
        m_windows->showMain();
        copy(QStringLiteral("текст"));
        saveAs(QStringLiteral("notes"));
        QCOMPARE(m_platform->messages().size(), 1u);
        const Message& message = m_platform->messages().back();
        QCOMPARE(message.icon, Message::Icon::Warning);
        QVERIFY2(message.text.contains(said), qPrintable(message.text));
        QVERIFY(!message.text.contains(QStringLiteral("Вся информация")));
        QVERIFY(m_windows->save()->isVisible());
        QCOMPARE(QFile::exists(disk.root() + QStringLiteral("notes.txt")), written);
        if (written) {
            QCOMPARE(fileBytes(disk.root() + QStringLiteral("notes.txt")), Sep.toUtf8() + "\xf2\xe5\xea\xf1\xf2");
        }
        QCOMPARE(document(), Sep + "текст");
    }

    void longNamesSaveEveryTimeAndTooLongOnesAreRefused()
    {
        // 125 letters of two bytes and ".txt" make 254 bytes, one short of what the file system takes.
        const QString name(125, QChar(0x0416));
        const QString path = m_home->path() + QLatin1Char('/') + name + QStringLiteral(".txt");
        const QByteArray saved = Sep.toUtf8() + "first" + Sep.toUtf8() + "second";
        copy(QStringLiteral("first"));
        saveAs(name);
        copy(QStringLiteral("second"));

        // Shown again, the window has the old name selected, so that what the user types replaces it.
        clickMain("Command2");
        QCOMPARE(nameBox()->selectedText(), name);
        for (const QChar letter : name) {
            QTest::sendKeyEvent(QTest::Click, nameBox(), Qt::Key_unknown, QString(letter), Qt::NoModifier);
        }
        QTest::mouseClick(m_windows->save()->findChild<QToolButton*>(QStringLiteral("Command1")), Qt::LeftButton);
        QCOMPARE(fileBytes(path), saved);
        QCOMPARE(m_platform->messages().size(), 2u);
        QCOMPARE(m_platform->messages().back().text, test::savedConfirmation(path));

#ifdef Q_OS_WIN
        // Windows counts a name in UTF-16 units, 255 of them.
        saveAs(name + QString(130, QChar(0x0416)));
#else
        saveAs(name + QStringLiteral("ЖЖЖ"));
#endif
        const Message& refusal = m_platform->messages().back();
        QCOMPARE(refusal.icon, Message::Icon::Warning);
        QVERIFY2(refusal.text.contains(QStringLiteral("Имя файла слишком длинное")), qPrintable(refusal.text));
        QVERIFY(m_windows->save()->isVisible());
        QCOMPARE(fileBytes(path), saved);
        QCOMPARE(
            QDir(m_home->path()).entryList(QDir::Files | QDir::Hidden), QStringList {name + QStringLiteral(".txt")});
    }

    void enterAndEscapeDoNothing()
    {
        clickMain("Command2");
        QTest::keyClick(nameBox(), Qt::Key_Return);
        QTest::keyClick(nameBox(), Qt::Key_Escape);
        QVERIFY(m_windows->save()->isVisible());
        QVERIFY(m_platform->messages().empty());
        QVERIFY(QDir(m_home->path()).isEmpty());
    }

    void closeBoxDestroysAndTheNextShowStartsAfresh()
    {
        clickMain("Command2");
        nameBox()->setText(QStringLiteral("мой"));
        m_windows->save()->close();
        flushDeletes();
        QCOMPARE(m_windows->save(), nullptr);
        QVERIFY(m_windows->main() != nullptr);
        clickMain("Command2");
        QCOMPARE(nameBox()->text(), QStringLiteral("Безымянный"));
    }

    void saveWindowClosesWithTheMainWindow_data()
    {
        QTest::addColumn<bool>("hidden");
        QTest::newRow("visible") << false;
        QTest::newRow("hidden after a save") << true;
    }
    void saveWindowClosesWithTheMainWindow()
    {
        QFETCH(bool, hidden);
        if (hidden) {
            saveAs(QStringLiteral("x"));
            QVERIFY(!m_windows->save()->isVisible());
        } else {
            clickMain("Command2");
        }
        clickMain("Command3");
        flushDeletes();
        QCOMPARE(m_windows->save(), nullptr);
        QVERIFY(!m_windows->anyOpen());
    }

    void copiesGoOnWhileTheSaveWindowIsOpen()
    {
        clickMain("Command2");
        copy(QStringLiteral("while open"));
        QTest::mouseClick(m_windows->save()->findChild<QToolButton*>(QStringLiteral("Command1")), Qt::LeftButton);
        QCOMPARE(fileBytes(m_home->path() + QStringLiteral("/Безымянный.txt")), Sep.toUtf8() + "while open");
    }

    void theProgramGoesOnWhileAFileIsWritten_data()
    {
        QTest::addColumn<QString>("meanwhile");
        QTest::addColumn<bool>("writeFails");
        QTest::newRow("a copy") << "copy" << false;
        QTest::newRow("Save again") << "save" << false;
        QTest::newRow("Close") << "close" << false;
        QTest::newRow("Close, and the write fails") << "close" << true;
    }
    void theProgramGoesOnWhileAFileIsWritten()
    {
        QFETCH(QString, meanwhile);
        QFETCH(bool, writeFails);
        QVERIFY(QDir(m_home->path()).mkdir(QStringLiteral("sub")));
        const QString path = m_home->path() + QStringLiteral("/sub/x.txt");
        copy(QStringLiteral("before"));
        m_platform->holdWrites();
        saveAs(QStringLiteral("sub\\x"));
        copy(QStringLiteral("during"));
        if (meanwhile == QLatin1String("save")) {
            QTest::mouseClick(m_windows->save()->findChild<QToolButton*>(QStringLiteral("Command1")), Qt::LeftButton);
        } else if (meanwhile == QLatin1String("close")) {
            clickMain("Command3");
            flushDeletes();
            QVERIFY(m_windows->main() != nullptr && m_windows->save() != nullptr);
        }
        if (writeFails) {
            QVERIFY(QDir(m_home->path()).rmdir(QStringLiteral("sub")));
        }
        // Nothing is told, nor replaced, before the file is written.
        QVERIFY(m_platform->messages().empty());
        QVERIFY(!QFile::exists(path));

        QVERIFY(m_platform->finishWrite());
        QVERIFY(!m_platform->finishWrite());
        QCOMPARE(m_platform->messages().size(), 1u);
        QCOMPARE(m_platform->messages().back().icon, writeFails ? Message::Icon::Warning : Message::Icon::Information);
        if (!writeFails) {
            // The document as it stood when Save was pressed.
            QCOMPARE(fileBytes(path), Sep.toUtf8() + "before");
        }
        flushDeletes();
        QCOMPARE(m_windows->anyOpen(), meanwhile != QLatin1String("close") || writeFails);
        if (m_windows->main() != nullptr) {
            QCOMPARE(document(), Sep + "before" + Sep + "during");
        }
    }

    void helpShowsFourLinesAndCaptureGoesOnMeanwhile()
    {
        m_platform->setWhileMessageOpen([this](const Message&) { copy(QStringLiteral("during help")); });
        clickMain("Command5");
        QCOMPARE(m_platform->messages().size(), 1u);
        const Message help = m_platform->messages().front();
        QCOMPARE(help.title, QStringLiteral("Справка"));
        QCOMPARE(help.icon, Message::Icon::Information);
        const QStringList lines = help.text.split(QStringLiteral("\r\n"));
        QCOMPARE(lines.size(), 4);
        QCOMPARE(lines[0], QStringLiteral("Здравствуйте,"));
        QVERIFY(lines[1].startsWith(QStringLiteral("Благодарим за приобретение данной программы.")));
        QVERIFY(lines[1].endsWith(QStringLiteral("Долго!")));
        QVERIFY(lines[2].startsWith(QStringLiteral("Vardelo работает по простому принципу:")));
        QVERIFY(lines[2].endsWith(QStringLiteral("чертой...")));
        QCOMPARE(lines[3], QStringLiteral("Програмист: команда Vardelo"));
        QVERIFY(!help.text.contains(QLatin1Char('\n') + QStringLiteral("\r\n")));
        QCOMPARE(document(), Sep + "during help");

        clickMain("Command5");
        QCOMPARE(m_platform->messages().back().text, help.text);
    }

private:
    std::unique_ptr<QTemporaryDir> m_home;
    std::unique_ptr<FakePlatform> m_platform;
    std::unique_ptr<ProgramWindows> m_windows;
};

QTEST_MAIN(TestSaveWindow)
#include "TestSaveWindow.moc"
