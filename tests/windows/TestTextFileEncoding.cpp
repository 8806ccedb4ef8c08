#include <QProcess>
#include <QTest>

#include "windows/TextFileEncoding.h"

using namespace vardelo;

namespace {

QByteArray iconv(const QByteArray& input, const char* from, const char* to)
{
    QProcess process;
    process.start(
        QStringLiteral("iconv"), {QStringLiteral("-f"), QLatin1String(from), QStringLiteral("-t"), QLatin1String(to)});
    process.write(input);
    process.closeWriteChannel();
    process.waitForFinished(10000);
    return process.exitCode() == 0 ? process.readAllStandardOutput() : QByteArray("iconv failed");
}

} // namespace

class TestTextFileEncoding : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void agreesWithIconvOnEveryByte()
    {
        // Every byte that Windows-1251 defines (0x98 is the only one it leaves empty), decoded by iconv,
        // must encode back to the same byte, and iconv must encode our characters as we do.
        QByteArray bytes;
        for (int byte = 1; byte < 0x100; ++byte) {
            if (byte != 0x98) {
                bytes.append(static_cast<char>(byte));
            }
        }
        const QString characters = QString::fromUtf8(iconv(bytes, "CP1251", "UTF-8"));
        QCOMPARE(characters.size(), bytes.size());
        const std::optional<QByteArray> ours = encodeWindows1251(characters);
        QVERIFY(ours.has_value());
        QCOMPARE(*ours, bytes);
        QCOMPARE(iconv(characters.toUtf8(), "UTF-8", "CP1251"), *ours);
    }

    void windows1251Bytes_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("bytes");

        QTest::newRow("Cyrillic") << QStringLiteral("Привет, Ёж ё")
                                  << QByteArray("\xCF\xF0\xE8\xE2\xE5\xF2, \xA8\xE6 \xB8");
        QTest::newRow("signs") << QStringLiteral("№ — «» € …") << QByteArray("\xB9 \x97 \xAB\xBB \x88 \x85");
        QTest::newRow("line ends kept") << QStringLiteral("a\r\nb\nc\rd") << QByteArray("a\r\nb\nc\rd");
        QTest::newRow("NBSP and NUL") << QStringLiteral("a\u00A0b") + QChar(0)
                                      << QByteArray("a\xA0"
                                                    "b\0",
                                             4);
        QTest::newRow("empty") << QString() << QByteArray();
    }
    void windows1251Bytes()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, bytes);
        const TextFileContent content = encodeTextFile(text);
        QCOMPARE(content.bytes, bytes);
        QVERIFY(!content.utf8);
    }

    void textOutsideWindows1251IsWrittenAsUtf8_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("emoji") << QStringLiteral("Привет 😀");
        QTest::newRow("Greek") << QStringLiteral("α и ω");
        QTest::newRow("accented Latin") << QStringLiteral("café, № 5");
        QTest::newRow("arrow and sum") << QStringLiteral("→ ∑");
        QTest::newRow("undefined 0x98 position") << QStringLiteral("\u0098");
    }
    void textOutsideWindows1251IsWrittenAsUtf8()
    {
        QFETCH(QString, text);
        QVERIFY(!encodeWindows1251(text).has_value());
        const TextFileContent content = encodeTextFile(text + QStringLiteral("\r\nдальше"));
        QVERIFY(content.utf8);
        QCOMPARE(content.bytes, QByteArray("\xEF\xBB\xBF") + (text + QStringLiteral("\r\nдальше")).toUtf8());
    }
};

QTEST_GUILESS_MAIN(TestTextFileEncoding)
#include "TestTextFileEncoding.moc"
