#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include "platform/textfile/AtomicFile.h"
#include "platform/textfile/TextFileEncoding.h"

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

/// The bytes the program writes for this text, and how it says it wrote them.
std::pair<QByteArray, TextFileEncoding> written(const QString& text)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("saved.txt"));
    const Result<WrittenFile> encoding = writeTextFileAtomically(path, text);
    QFile file(path);
    if (!encoding.ok() || !file.open(QIODevice::ReadOnly)) {
        return {QByteArray("<not written>"), TextFileEncoding::Windows1251};
    }
    return {file.readAll(), encoding.value().encoding};
}

} // namespace

class TestTextFile : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void agreesWithIconvOnEveryByte()
    {
#ifdef Q_OS_WIN
        QSKIP("Windows has no iconv; the same encoder is checked against it on Linux");
#endif
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
        const auto [file, encoding] = written(text);
        QCOMPARE(file, bytes);
        QCOMPARE(encoding, TextFileEncoding::Windows1251);
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
        const auto [file, encoding] = written(text + QStringLiteral("\r\nдальше"));
        QCOMPARE(encoding, TextFileEncoding::Utf8WithBom);
        QCOMPARE(file, QByteArray("\xEF\xBB\xBF") + (text + QStringLiteral("\r\nдальше")).toUtf8());
    }

    void largeTextsAreWrittenWholeAcrossPieces_data()
    {
        QTest::addColumn<QString>("tail");
        QTest::newRow("Windows-1251") << QStringLiteral("ё\r\n");
        // The emoji's surrogate pair straddles the end of the first piece of a million characters.
        QTest::newRow("UTF-8") << QStringLiteral("😀\r\n");
    }
    void largeTextsAreWrittenWholeAcrossPieces()
    {
        QFETCH(QString, tail);
        const QString text = QString(1024 * 1024 - 1, QLatin1Char('x')) + tail + QString(1024 * 1024, QChar(0x0416));
        const auto [file, encoding] = written(text);
        if (encoding == TextFileEncoding::Windows1251) {
            QCOMPARE(file, encodeWindows1251(text).value());
        } else {
            QCOMPARE(file, QByteArray("\xEF\xBB\xBF") + text.toUtf8());
        }
    }
};

QTEST_GUILESS_MAIN(TestTextFile)
#include "TestTextFile.moc"
