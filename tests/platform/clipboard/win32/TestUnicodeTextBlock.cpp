#include <QTest>

#include "platform/clipboard/win32/UnicodeTextBlock.h"

using namespace vardelo;

/// The text of a Windows clipboard block: up to its NUL, never past its size, otherwise unchanged.
class TestUnicodeTextBlock : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void readsUpToTheNulWithinTheBlock_data()
    {
        QTest::addColumn<QByteArray>("block");
        QTest::addColumn<QString>("text");
        // The literal's units, its own terminating NUL left out.
        const auto units = []<std::size_t N>(const char16_t(&text)[N]) {
            return QByteArray(reinterpret_cast<const char*>(text), qsizetype((N - 1) * 2));
        };
        QTest::newRow("line ends unchanged") << units(u"a\r\nb\rc\nd\0") << QStringLiteral("a\r\nb\rc\nd");
        QTest::newRow("ends at the first NUL") << units(u"kept\0dropped\0") << QStringLiteral("kept");
        QTest::newRow("no NUL: ends with the block") << units(u"без конца") << QStringLiteral("без конца");
        QTest::newRow("odd last byte left out") << units(u"ab") + 'c' << QStringLiteral("ab");
        QTest::newRow("byte-order mark kept") << units(u"\uFEFFtext\0") << QStringView(u"\uFEFFtext").toString();
        QTest::newRow("lone surrogate kept") << units(u"x\xD800y\0") << QStringView(u"x\xD800y").toString();
        QTest::newRow("empty block") << QByteArray() << QString();
        QTest::newRow("NUL only") << units(u"\0") << QString();
        QTest::newRow("one byte") << QByteArray("a") << QString();
    }
    void readsUpToTheNulWithinTheBlock()
    {
        QFETCH(QByteArray, block);
        QFETCH(QString, text);
        // Shifted by one byte: the system's block need not be aligned for 16-bit units.
        const QByteArray unaligned = QByteArray(1, 'x') + block;
        QCOMPARE(unicodeTextOfBlock(unaligned.constData() + 1, std::size_t(block.size())), text);
    }
};

QTEST_GUILESS_MAIN(TestUnicodeTextBlock)
#include "TestUnicodeTextBlock.moc"
