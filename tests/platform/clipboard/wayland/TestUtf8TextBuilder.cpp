#include <QRandomGenerator>
#include <QTest>

#include "platform/clipboard/Utf8.h"
#include "platform/clipboard/wayland/Utf8TextBuilder.h"

using namespace vardelo;

/// Text that arrives in pieces cut anywhere reads as the whole would.
class TestUtf8TextBuilder : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void piecesCutAnywhereDecodeAsTheWhole()
    {
        const quint32 seed = QRandomGenerator::global()->generate();
        QRandomGenerator random(seed);
        // Characters of one to four bytes, and bytes that are no UTF-8 at all.
        const QList<QByteArray> alphabet {"a", "\r\n", QStringLiteral("ж").toUtf8(), QStringLiteral("€").toUtf8(),
            QStringLiteral("😀").toUtf8(), "\xff", "\x80", "\xe2\x82", "\xf0\x9f", "\xef\xbb\xbf"};
        for (int round = 0; round < 200; ++round) {
            QByteArray bytes;
            const int characters = random.bounded(60);
            for (int i = 0; i < characters; ++i) {
                bytes += alphabet.at(random.bounded(int(alphabet.size())));
            }
            Utf8TextBuilder builder;
            for (qsizetype at = 0; at < bytes.size();) {
                const qsizetype length = std::min<qsizetype>(random.bounded(1, 6), bytes.size() - at);
                builder.add(QByteArrayView(bytes).sliced(at, length));
                at += length;
            }
            // U+FEFF is a character of the text wherever it stands, a piece's start included.
            const QString text = builder.take();
            QVERIFY2(text == decodeUtf8(bytes) && text.count(QChar(0xfeff)) == bytes.count("\xef\xbb\xbf"),
                qPrintable(QStringLiteral("seed %1, bytes %2").arg(seed).arg(QString::fromLatin1(bytes.toHex()))));
        }
    }
};

QTEST_GUILESS_MAIN(TestUtf8TextBuilder)
#include "TestUtf8TextBuilder.moc"
