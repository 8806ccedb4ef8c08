#include <QRandomGenerator>
#include <QTest>

#include "platform/clipboard/SlicedTextDecoder.h"
#include "platform/clipboard/Utf8.h"
#include "platform/clipboard/Utf8TextBuilder.h"

using namespace vardelo;

/// Text that arrives in pieces cut anywhere, or is decoded a slice at a time, reads as the whole would.
class TestTextDecoding : public QObject
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

    void slicesAreBoundedAndWhatIsGivenUpIsFreed_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("latin1");
        QByteArray cyrillic;
        while (cyrillic.size() < 3 * 1024 * 1024 + 7) {
            cyrillic += QStringLiteral("Съешь же ещё этих мягких булок 😀\r\n").toUtf8();
        }
        QTest::newRow("UTF-8, cut mid-character between slices") << cyrillic << false;
        QTest::newRow("Latin-1") << QByteArray(1024 * 1024 + 1, '\xe9') << true;
        QTest::newRow("nothing") << QByteArray() << false;
    }
    void slicesAreBoundedAndWhatIsGivenUpIsFreed()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, latin1);
        const auto encoding = latin1 ? SlicedTextDecoder::Encoding::Latin1 : SlicedTextDecoder::Encoding::Utf8;
        const auto pieces = [&bytes] {
            ChunkedBytes chunked;
            for (qsizetype at = 0; at < bytes.size(); at += 100'000) {
                chunked.append(QByteArrayView(bytes).sliced(at, std::min<qsizetype>(100'000, bytes.size() - at)));
            }
            return chunked;
        };
        SlicedTextDecoder decoder;
        decoder.start(pieces(), encoding);
        int slices = 1;
        while (!decoder.decodeSome()) {
            ++slices;
        }
        QCOMPARE(slices,
            std::max<qsizetype>(1, (bytes.size() + SlicedTextDecoder::SliceBytes - 1) / SlicedTextDecoder::SliceBytes));
        QCOMPARE(decoder.take(), latin1 ? QString::fromLatin1(bytes) : decodeUtf8(bytes));
        QCOMPARE(decoder.heldBytes(), 0);

        // A read given up halfway, or started afresh, keeps nothing of what it had decoded.
        decoder.start(pieces(), encoding);
        decoder.decodeSome();
        decoder.clear();
        QCOMPARE(decoder.heldBytes(), 0);
        decoder.start(ChunkedBytes(), encoding);
        QVERIFY(decoder.decodeSome());
        QCOMPARE(decoder.take(), QString());
    }
};

QTEST_GUILESS_MAIN(TestTextDecoding)
#include "TestTextDecoding.moc"
