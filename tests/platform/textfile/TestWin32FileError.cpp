#include <QTest>

#include "platform/textfile/Win32FileError.h"

using namespace vardelo;

/// Win32 error codes read as the reasons they are, not as the errno values that share their numbers.
class TestWin32FileError : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void everyCodeGetsItsOwnReason_data()
    {
        QTest::addColumn<unsigned long>("code");
        QTest::addColumn<QString>("reason");
        QTest::newRow("path not found") << 3ul << QStringLiteral("Папка C:\\x не найдена.");
        QTest::newRow("access denied") << 5ul << QStringLiteral("Нет прав на запись в папку C:\\x.");
        QTest::newRow("write protected") << 19ul
                                         << QStringLiteral(
                                                "Папка C:\\x находится на диске, доступном только для чтения.");
        // 21 and 30 are EISDIR and EROFS as errno values.
        QTest::newRow("drive not ready") << 21ul << QStringLiteral("Ошибка ввода-вывода на диске с папкой C:\\x.");
        QTest::newRow("read fault") << 30ul << QStringLiteral("Ошибка ввода-вывода на диске с папкой C:\\x.");
        QTest::newRow("sharing violation") << 32ul << QStringLiteral("Файл в папке C:\\x открыт другой программой.");
        QTest::newRow("disk full") << 112ul << QStringLiteral("На диске с папкой C:\\x не хватает места.");
        QTest::newRow("invalid name") << 123ul
                                      << QStringLiteral("Файловая система в папке C:\\x не принимает такое имя файла.");
        QTest::newRow("name too long") << 206ul
                                       << QStringLiteral(
                                              "Имя файла слишком длинное для файловой системы в папке C:\\x.");
        QTest::newRow("file too large") << 223ul
                                        << QStringLiteral("Файл слишком велик для файловой системы в папке C:\\x.");
        QTest::newRow("unknown") << 1234ul << QStringLiteral("Системная ошибка номер 1234 при записи в папку C:\\x.");
    }
    void everyCodeGetsItsOwnReason()
    {
        QFETCH(unsigned long, code);
        QFETCH(QString, reason);
        QCOMPARE(fileErrorText(win32FileError(code), QStringLiteral("C:/x")), reason);
    }
};

QTEST_GUILESS_MAIN(TestWin32FileError)
#include "TestWin32FileError.moc"
