#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "platform/textfile/AtomicFile.h"
#include "tests/support/SavedConfirmation.h"
#include "windows/SaveLocation.h"

using namespace vardelo;

namespace {
const QString Saved = QStringLiteral("Вся информация сохранена в файл ");
} // namespace

class TestSaveLocation : public QObject
{
    Q_OBJECT

private:
    /// Every file below the temporary folder, by its path there; links are not followed.
    QStringList files() const
    {
        QStringList found;
        QDirIterator it(m_dir->path(), QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            found << QDir(m_dir->path()).relativeFilePath(it.next());
        }
        return found;
    }

private Q_SLOTS:
    void init()
    {
        // home/link points two folders down: a step back through it would end in home/deep, not home.
        m_dir = std::make_unique<QTemporaryDir>();
        const QDir dir(m_dir->path());
        QVERIFY(dir.mkpath(QStringLiteral("home/sub")) && dir.mkpath(QStringLiteral("home/deep/inner")));
#ifndef Q_OS_WIN // where links are shortcut files of their own
        QVERIFY(
            QFile::link(dir.filePath(QStringLiteral("home/deep/inner")), dir.filePath(QStringLiteral("home/link"))));
#endif
    }
    void cleanup()
    {
        m_dir.reset();
    }

    void savesWhereTheConfirmationSays_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("file"); // below home; empty where the name is refused
        QTest::addColumn<QString>("reason"); // part of the refusal

        const QString outside = QStringLiteral("за её пределами");
        QTest::newRow("default") << QStringLiteral("Безымянный") << QStringLiteral("Безымянный.txt") << QString();
        QTest::newRow("empty") << QString() << ".txt" << QString();
        QTest::newRow("spaces kept") << " a b "
                                     << " a b .txt" << QString();
        QTest::newRow("second extension") << "a.txt"
                                          << "a.txt.txt" << QString();
        QTest::newRow("backslash is a folder") << "sub\\x"
                                               << "sub/x.txt" << QString();
        QTest::newRow("down a missing folder and back") << "a\\..\\b"
                                                        << "b.txt" << QString();
        QTest::newRow("dot step") << ".\\x"
                                  << "x.txt" << QString();
        QTest::newRow("250 bytes") << QString(125, QChar(0x0416)) << QString(125, QChar(0x0416)) + ".txt" << QString();
        QTest::newRow("255 bytes with .txt") << QString(251, 'x') << QString(251, 'x') + ".txt" << QString();
#ifdef Q_OS_WIN
        // Windows counts a name in UTF-16 units, and keeps some names and characters for itself.
        const QString refused = QStringLiteral("не принимает такое имя");
        QTest::newRow("256 units") << QString(252, 'x') << QString() << QStringLiteral("слишком длинное");
        QTest::newRow("colon") << ":-)" << QString() << refused;
        QTest::newRow("question mark") << "why?" << QString() << refused;
        QTest::newRow("a device's name") << "con" << QString() << refused;
        QTest::newRow("a port's name, any case") << "Com1" << QString() << refused;
        QTest::newRow("not quite a device") << "console"
                                            << "console.txt" << QString();
#else
        QTest::newRow("leading colon") << ":-)"
                                       << ":-).txt" << QString();
        QTest::newRow("back through a link") << "link\\..\\x"
                                             << "x.txt" << QString();
        // The file system takes 255 bytes: "Ж" is two in UTF-8.
        QTest::newRow("256 bytes") << QString(128, QChar(0x0416)) << QString() << QStringLiteral("слишком длинное");
#endif
        QTest::newRow("up once") << "..\\x" << QString() << outside;
        QTest::newRow("up and out") << "..\\..\\etc\\x" << QString() << outside;
        QTest::newRow("down, then up past the root") << "sub\\..\\..\\home\\x" << QString() << outside;
        QTest::newRow("absolute by backslash") << "\\etc\\x" << QString() << outside;
        QTest::newRow("absolute by slash") << "/etc/x" << QString() << outside;
        QTest::newRow("NUL") << QStringLiteral("a") + QChar(0) + QStringLiteral("b") << QString()
                             << QStringLiteral("недопустимый символ");
    }
    void savesWhereTheConfirmationSays()
    {
        QFETCH(QString, name);
        QFETCH(QString, file);
        QFETCH(QString, reason);
        const QString home = m_dir->path() + QStringLiteral("/home/");
        const SaveLocation location(home);
        const Result<QString> path = location.pathFor(name);
        // Twice: the second save replaces a file, and its temporary name must fit beside a long one.
        const auto save = [&path](const QString& text) {
            return path.ok() ? writeTextFileAtomically(path.value(), text).status() : path.status();
        };
        QCOMPARE(save(QStringLiteral("first")).ok(), !file.isEmpty());
        const Status written = save(QStringLiteral("second"));
        if (file.isEmpty()) {
            QVERIFY(!written.ok());
            QVERIFY2(written.reason().contains(reason), qPrintable(written.reason()));
            QCOMPARE(files(), QStringList());
        } else {
            QVERIFY2(written.ok(), qPrintable(written.reason()));
            QCOMPARE(location.savedMessage(path.value()), test::savedConfirmation(home + file));
            QCOMPARE(files(), QStringList {QStringLiteral("home/") + file});
            QFile saved(home + file);
            QVERIFY(saved.open(QIODevice::ReadOnly));
            QCOMPARE(saved.readAll(), QByteArray("second"));
        }
    }

    void driveCKeepsItsWording()
    {
        const SaveLocation drive(QStringLiteral("C:\\"));
        QCOMPARE(drive.labelText(), QStringLiteral("Введите Имя файла. Он будет сохранен на диске C:\\."));
        const Result<QString> path = drive.pathFor(QStringLiteral("a\\..\\Отчёт\\b.txt"));
        QCOMPARE(path.value(), QStringLiteral("C:/Отчёт/b.txt.txt"));
        QCOMPARE(drive.savedMessage(path.value()), Saved + QStringLiteral("C:\\Отчёт\\b.txt.TXT"));
    }

private:
    std::unique_ptr<QTemporaryDir> m_dir;
};

QTEST_GUILESS_MAIN(TestSaveLocation)
#include "TestSaveLocation.moc"
