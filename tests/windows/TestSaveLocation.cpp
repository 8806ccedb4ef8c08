#include <QTest>

#include "windows/SaveLocation.h"

using namespace vardelo;

class TestSaveLocation : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void pathsAndMessages_data()
    {
        QTest::addColumn<QString>("root");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("message");

        const QString home = QStringLiteral("/home/ann/");
        const QString saved = QStringLiteral("Вся информация сохранена в файл ");
        QTest::newRow("default") << home << QStringLiteral("Безымянный") << home + QStringLiteral("Безымянный.txt")
                                 << saved + QStringLiteral("/home/ann/Безымянный.txt");
        QTest::newRow("Cyrillic") << home << QStringLiteral("Отчёт") << home + QStringLiteral("Отчёт.txt")
                                  << saved + QStringLiteral("/home/ann/Отчёт.txt");
        QTest::newRow("empty") << home << QString() << home + ".txt" << saved + "/home/ann/.txt";
        QTest::newRow("spaces kept") << home << " a b " << home + " a b .txt" << saved + "/home/ann/ a b .txt";
        QTest::newRow("second extension") << home << "a.txt" << home + "a.txt.txt" << saved + "/home/ann/a.txt.txt";
        QTest::newRow("backslash is a folder")
            << home << "sub\\x" << home + "sub/x.txt" << saved + "/home/ann/sub/x.txt";
        QTest::newRow("down and up again")
            << home << "sub\\..\\y" << home + "sub/../y.txt" << saved + "/home/ann/y.txt";
        QTest::newRow("drive C") << QStringLiteral("C:\\") << QStringLiteral("Отчёт") << QStringLiteral("C:/Отчёт.txt")
                                 << saved + QStringLiteral("C:\\Отчёт.TXT");
        QTest::newRow("drive C, folder") << QStringLiteral("C:\\") << "a\\b.txt"
                                         << "C:/a/b.txt.txt" << saved + "C:\\a\\b.txt.TXT";
    }
    void pathsAndMessages()
    {
        QFETCH(QString, root);
        QFETCH(QString, name);
        QFETCH(QString, path);
        QFETCH(QString, message);
        const SaveLocation location(root);
        const Result<QString> resolved = location.pathFor(name);
        QVERIFY2(resolved.ok(), qPrintable(resolved.reason()));
        QCOMPARE(resolved.value(), path);
        QCOMPARE(location.savedMessage(name, resolved.value()), message);
    }

    void namesOutsideTheDriveAreRefused_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("up and out") << "..\\..\\etc\\x";
        QTest::newRow("up once") << "..\\x";
        QTest::newRow("absolute by backslash") << "\\etc\\x";
        QTest::newRow("absolute by slash") << "/etc/x";
        QTest::newRow("NUL") << QStringLiteral("a") + QChar(0) + QStringLiteral("b");
    }
    void namesOutsideTheDriveAreRefused()
    {
        QFETCH(QString, name);
        const Result<QString> resolved = SaveLocation(QStringLiteral("/home/ann/")).pathFor(name);
        QVERIFY(!resolved.ok());
        QVERIFY(!resolved.reason().isEmpty());
    }

    void labelNamesThePlace()
    {
        QCOMPARE(SaveLocation(QStringLiteral("C:\\")).labelText(),
            QStringLiteral("Введите Имя файла. Он будет сохранен на диске C:\\."));
        QCOMPARE(SaveLocation(QStringLiteral("/home/ann/")).labelText(),
            QStringLiteral("Введите Имя файла. Он будет сохранен в папке /home/ann/."));
    }
};

QTEST_GUILESS_MAIN(TestSaveLocation)
#include "TestSaveLocation.moc"
