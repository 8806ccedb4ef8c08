#include <QTest>

#include "platform/clipboard/ClipboardReader.h"
#include "platform/clipboard/x11/SelectionTransfer.h"

using namespace vardelo;
using Step = SelectionTransfer::Step;

Q_DECLARE_METATYPE(std::optional<QString>)
Q_DECLARE_METATYPE(QList<std::uint32_t>)

namespace {

SelectionAtoms atoms()
{
    SelectionAtoms atoms;
    atoms.utf8String = 300;
    atoms.text = 301;
    atoms.compoundText = 302;
    atoms.incr = 303;
    return atoms;
}

/// With TARGETS and the password managers' mark, as on a real server.
SelectionAtoms atomsWithTargets()
{
    SelectionAtoms withTargets = atoms();
    withTargets.targets = 304;
    withTargets.passwordHint = 305;
    return withTargets;
}

constexpr std::uint32_t Utf8 = 300;
constexpr std::uint32_t Latin1 = 31;
constexpr std::uint32_t Text = 301;
constexpr std::uint32_t Compound = 302;
constexpr std::uint32_t Incr = 303;
constexpr std::uint32_t Targets = 304;
constexpr std::uint32_t Mark = 305;
constexpr std::uint32_t Atom = 4;
constexpr std::uint32_t Png = 400;

QByteArray atomList(const QList<std::uint32_t>& list)
{
    return QByteArray(reinterpret_cast<const char*>(list.data()), list.size() * qsizetype(sizeof(std::uint32_t)));
}

QByteArrayView incrAnnouncing(const std::uint32_t& size)
{
    return QByteArrayView(reinterpret_cast<const char*>(&size), sizeof size);
}

} // namespace

/// The steps of reading a selection, with the X server's answers played by hand.
class TestSelectionTransfer : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void decoding_data()
    {
        QTest::addColumn<std::uint32_t>("type");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<std::optional<QString>>("expected");

        const QString nul = QString(QStringLiteral("a") + QChar(0) + QStringLiteral("\r\nb\rc\n"));
        QTest::newRow("UTF-8 kept exactly") << Utf8 << nul.toUtf8() << std::optional(nul);
        QTest::newRow("U+FEFF at the start is kept") << Utf8 << QByteArray("\xef\xbb\xbf\xd1\x91\xef\xbb\xbf")
                                                     << std::optional(QStringLiteral("\ufeff\u0451\ufeff"));
        QTest::newRow("U+FEFF at the start of a compound text's UTF-8 part")
            << Compound << QByteArray("\x1b%G\xef\xbb\xbf!\x1b%@") << std::optional(QStringLiteral("\ufeff!"));
        QTest::newRow("UTF-8 Cyrillic") << Utf8 << QStringLiteral("ёж").toUtf8() << std::optional(QStringLiteral("ёж"));
        QTest::newRow("broken UTF-8 is replaced, not dropped")
            << Utf8 << QByteArray("a\xd1") << std::optional(QStringLiteral("a\ufffd"));
        QTest::newRow("STRING is Latin-1, not UTF-8")
            << Latin1 << QByteArray("\xd1\x91") << std::optional(QStringLiteral("\u00d1\u0091"));
        QTest::newRow("compound text, initial state")
            << Compound << QByteArray("caf\xe9") << std::optional(QStringLiteral("caf\u00e9"));
        QTest::newRow("compound text with a UTF-8 part")
            << Compound << QByteArray("a\x1b%G\xd1\x91\x1b%@\xe9") << std::optional(QStringLiteral("a\u0451\u00e9"));
        QTest::newRow("compound text in another character set is refused")
            << Compound << QByteArray("\x1b$(B\x30\x21") << std::optional<QString>();
        QTest::newRow("a picture is no text, whatever was asked")
            << Png << QByteArray("\x89PNG") << std::optional<QString>();
        QTest::newRow("no property") << 0u << QByteArray() << std::optional<QString>();
    }
    void decoding()
    {
        QFETCH(std::uint32_t, type);
        QFETCH(QByteArray, bytes);
        QFETCH(std::optional<QString>, expected);
        QCOMPARE(decodeSelectionText(atoms(), type, bytes), expected);
    }

    void whatTheOwnerOffersDecidesWhatIsAsked_data()
    {
        QTest::addColumn<std::uint32_t>("listType");
        QTest::addColumn<QByteArray>("list");
        QTest::addColumn<QByteArray>("mark");
        QTest::addColumn<QList<std::uint32_t>>("asked");
        QTest::addColumn<bool>("secret");
        // Every text target is refused: text the owner offered, and withholds, is no empty clipboard.
        QTest::addColumn<bool>("refused");

        const QList<std::uint32_t> allText {Utf8, Latin1, Text, Compound};
        QTest::newRow("TARGETS refused") << 0u << QByteArray() << QByteArray() << allText << false << false;
        QTest::newRow("no list of atoms") << Utf8 << QByteArray("STRING") << QByteArray() << allText << false << false;
        QTest::newRow("only what is offered") << Atom << atomList({Targets, Png, Latin1, Compound}) << QByteArray()
                                              << QList<std::uint32_t> {Latin1, Compound} << false << true;
        QTest::newRow("no text offered") << Atom << atomList({Targets, Png}) << QByteArray() << QList<std::uint32_t>()
                                         << false << false;
        QTest::newRow("marked secret") << Targets << atomList({Utf8, Mark}) << QByteArray("secret")
                                       << QList<std::uint32_t> {Mark} << true << false;
        QTest::newRow("mark that is no secret") << Atom << atomList({Utf8, Mark}) << QByteArray("public")
                                                << QList<std::uint32_t> {Mark, Utf8} << false << true;
        QTest::newRow("mark offered, then withheld")
            << Atom << atomList({Utf8, Mark}) << QByteArray() << QList<std::uint32_t> {Mark} << true << false;
    }
    void whatTheOwnerOffersDecidesWhatIsAsked()
    {
        QFETCH(std::uint32_t, listType);
        QFETCH(QByteArray, list);
        QFETCH(QByteArray, mark);
        QFETCH(QList<std::uint32_t>, asked);
        QFETCH(bool, secret);
        QFETCH(bool, refused);
        SelectionTransfer transfer(atomsWithTargets());
        QCOMPARE(transfer.start(), Step::Convert);
        QCOMPARE(transfer.target(), Targets);
        Step step = transfer.conversionAnswered(listType != 0);
        if (step == Step::ReadProperty) {
            step = transfer.propertyRead(listType, listType == Utf8 ? 8 : 32, list);
        }
        // Every text target is refused, so each one asked shows.
        QList<std::uint32_t> seen;
        while (step == Step::Convert) {
            seen.append(transfer.target());
            const bool markGiven = transfer.target() == Mark && !mark.isEmpty();
            step = transfer.conversionAnswered(markGiven);
            if (markGiven) {
                step = transfer.propertyRead(Mark, 8, mark);
            }
        }
        QCOMPARE(step, refused ? Step::Refused : Step::Finished);
        QCOMPARE(seen, asked);
        QCOMPARE(transfer.secret(), secret);
        QCOMPARE(transfer.text(), QString());
        if (refused) {
            // Asked again, it starts over with the first text target it offered.
            QCOMPARE(transfer.retry(), Step::Convert);
            QCOMPARE(transfer.target(), asked.value(asked.indexOf(Mark) + 1));
        }
    }

    void answerOverTheLimitIsGivenUp_data()
    {
        QTest::addColumn<bool>("chunked");
        QTest::newRow("whole") << false;
        QTest::newRow("in chunks") << true;
    }
    void answerOverTheLimitIsGivenUp()
    {
        QFETCH(bool, chunked);
        // Sizes past the limit are refused before a byte of them is read, so a view over a small buffer stands
        // for them.
        const QByteArray small(1024, 'a');
        const qsizetype rest = MaxClipboardBytes - (chunked ? small.size() : 0) + 1;
        SelectionTransfer transfer(atoms());
        (void)transfer.start();
        QCOMPARE(transfer.conversionAnswered(true), Step::ReadProperty);
        if (chunked) {
            QCOMPARE(transfer.propertyRead(Incr, 32, incrAnnouncing(0xffffffff)), Step::WaitForChunk);
            QCOMPARE(transfer.chunkAnnounced(), Step::ReadProperty);
            QCOMPARE(transfer.propertyRead(Utf8, 8, small), Step::WaitForChunk);
            QCOMPARE(transfer.chunkAnnounced(), Step::ReadProperty);
        }
        QCOMPARE(transfer.propertyRead(Utf8, 8, QByteArrayView(small.constData(), rest)), Step::TooLarge);
        QCOMPARE(transfer.chunked(), chunked);
        QCOMPARE(transfer.retry(), Step::TooLarge);
    }

    void askingAgainKeepsWhatTheOwnerSaid()
    {
        SelectionTransfer transfer(atomsWithTargets());
        (void)transfer.start();
        (void)transfer.conversionAnswered(true);
        QCOMPARE(transfer.propertyRead(Atom, 32, atomList({Targets, Latin1})), Step::Convert);
        QCOMPARE(transfer.retry(), Step::Convert);
        QCOMPARE(transfer.target(), Latin1);
    }

    void textThatCannotBeDecodedIsNoEmptyClipboard()
    {
        SelectionTransfer transfer(atoms());
        (void)transfer.start();
        QCOMPARE(transfer.conversionAnswered(true), Step::ReadProperty);
        QCOMPARE(transfer.propertyRead(Compound, 8, "\x1b-L\xbf\xe0"), Step::Convert);
        for (int i = 0; i < 2; ++i) {
            QCOMPARE(transfer.conversionAnswered(false), Step::Convert);
        }
        QCOMPARE(transfer.conversionAnswered(false), Step::Undecodable);
    }

    void refusedTargetsFallThroughToEmpty()
    {
        SelectionTransfer transfer(atoms());
        QCOMPARE(transfer.start(), Step::Convert);
        for (const std::uint32_t target : {Utf8, Latin1, Text, Compound}) {
            QCOMPARE(transfer.target(), target);
            QCOMPARE(transfer.conversionAnswered(false), target == Compound ? Step::Finished : Step::Convert);
        }
        QCOMPARE(transfer.text(), QString());
    }

    void answerThatIsNoText_data()
    {
        QTest::addColumn<std::uint32_t>("type");
        QTest::addColumn<std::uint8_t>("format");
        QTest::addColumn<bool>("chunked");
        QTest::newRow("property gone") << 0u << std::uint8_t(0) << false;
        QTest::newRow("32-bit values") << Utf8 << std::uint8_t(32) << false;
        QTest::newRow("chunk gone") << 0u << std::uint8_t(8) << true;
        QTest::newRow("32-bit chunk") << Utf8 << std::uint8_t(32) << true;
        QTest::newRow("chunk of another type") << Latin1 << std::uint8_t(8) << true;
    }
    void answerThatIsNoText()
    {
        QFETCH(std::uint32_t, type);
        QFETCH(std::uint8_t, format);
        QFETCH(bool, chunked);
        SelectionTransfer transfer(atoms());
        (void)transfer.start();
        QCOMPARE(transfer.conversionAnswered(true), Step::ReadProperty);
        if (chunked) {
            QCOMPARE(transfer.propertyRead(Incr, 32, incrAnnouncing(8)), Step::WaitForChunk);
            (void)transfer.chunkAnnounced();
            QCOMPARE(transfer.propertyRead(Utf8, 8, "abcd"), Step::WaitForChunk);
            (void)transfer.chunkAnnounced();
        }
        // A whole answer that is no text: the owner has none in that target, so the next one is tried. A broken
        // chunked one: the owner has it, so the same target is asked for again.
        QCOMPARE(transfer.propertyRead(type, format, "efgh"), chunked ? Step::BrokenOff : Step::Convert);
        if (chunked) {
            QCOMPARE(transfer.retry(), Step::Convert);
        }
        QCOMPARE(transfer.target(), chunked ? Utf8 : Latin1);
        QCOMPARE(transfer.conversionAnswered(true), Step::ReadProperty);
        QCOMPARE(transfer.propertyRead(Latin1, 8, "\xe9"), Step::Finished);
        QCOMPARE(transfer.text(), QStringLiteral("\u00e9"));
    }

    void chunksAreJoinedBeforeDecoding()
    {
        SelectionTransfer transfer(atoms());
        (void)transfer.start();
        QCOMPARE(transfer.chunkAnnounced(), Step::Convert); // the owner writing its answer is no chunk
        QCOMPARE(transfer.conversionAnswered(true), Step::ReadProperty);
        QCOMPARE(transfer.propertyRead(Incr, 32, incrAnnouncing(4)), Step::WaitForChunk);
        // One character split between two chunks.
        for (const QByteArray& chunk : {QByteArray("a\xd1"), QByteArray("\x91z")}) {
            QCOMPARE(transfer.chunkAnnounced(), Step::ReadProperty);
            QCOMPARE(transfer.propertyRead(Utf8, 8, chunk), Step::WaitForChunk);
        }
        QCOMPARE(transfer.chunkAnnounced(), Step::ReadProperty);
        QCOMPARE(transfer.propertyRead(Utf8, 8, ""), Step::Finished);
        QCOMPARE(transfer.text(), QStringLiteral("a\u0451z"));
    }

    void aLargeTextIsDecodedASliceATurn_data()
    {
        QTest::addColumn<bool>("chunked");
        QTest::addColumn<std::uint32_t>("type");
        QTest::newRow("whole, UTF-8") << false << Utf8;
        QTest::newRow("in chunks, UTF-8") << true << Utf8;
        QTest::newRow("in chunks, Latin-1") << true << Latin1;
    }
    void aLargeTextIsDecodedASliceATurn()
    {
        QFETCH(bool, chunked);
        QFETCH(std::uint32_t, type);
        QByteArray bytes;
        while (bytes.size() < 5 * SlicedTextDecoder::SliceBytes) {
            bytes += QStringLiteral("Съешь же ещё этих булок\r\n").toUtf8();
        }
        SelectionTransfer transfer(atoms());
        (void)transfer.start();
        while (transfer.target() != type) {
            (void)transfer.conversionAnswered(false);
        }
        QCOMPARE(transfer.conversionAnswered(true), Step::ReadProperty);
        Step step = Step::ReadProperty;
        if (chunked) {
            QCOMPARE(transfer.propertyRead(Incr, 32, incrAnnouncing(std::uint32_t(bytes.size()))), Step::WaitForChunk);
            // A character split between chunks.
            for (qsizetype at = 0; at < bytes.size(); at += 65537) {
                QCOMPARE(transfer.chunkAnnounced(), Step::ReadProperty);
                QCOMPARE(transfer.propertyRead(
                             type, 8, QByteArrayView(bytes).sliced(at, std::min<qsizetype>(65537, bytes.size() - at))),
                    Step::WaitForChunk);
            }
            QCOMPARE(transfer.chunkAnnounced(), Step::ReadProperty);
            step = transfer.propertyRead(type, 8, "");
        } else {
            step = transfer.propertyRead(type, 8, bytes);
        }
        int turns = 0;
        for (; step == Step::Decode; ++turns) {
            step = transfer.decodeSome();
        }
        QCOMPARE(step, Step::Finished);
        QCOMPARE(turns, (bytes.size() + SlicedTextDecoder::SliceBytes - 1) / SlicedTextDecoder::SliceBytes);
        QCOMPARE(transfer.text(), type == Utf8 ? QString::fromUtf8(bytes) : QString::fromLatin1(bytes));
    }

    void firstChunkNoticedBeforeTheAnswerIsReadIsNotLost()
    {
        SelectionTransfer transfer(atoms());
        (void)transfer.start();
        QCOMPARE(transfer.conversionAnswered(true), Step::ReadProperty);
        // Reading the INCR answer deletes it; the owner's first chunk may be noticed before the answer arrives.
        QCOMPARE(transfer.chunkAnnounced(), Step::ReadProperty);
        QCOMPARE(transfer.propertyRead(Incr, 32, incrAnnouncing(3)), Step::ReadProperty);
        QCOMPARE(transfer.propertyRead(Utf8, 8, "abc"), Step::WaitForChunk);
        QCOMPARE(transfer.chunkAnnounced(), Step::ReadProperty);
        QCOMPARE(transfer.propertyRead(Utf8, 8, ""), Step::Finished);
        QCOMPARE(transfer.text(), QStringLiteral("abc"));
    }

    void chunkAnnouncedWhileReadingIsNotLost()
    {
        SelectionTransfer transfer(atoms());
        (void)transfer.start();
        (void)transfer.conversionAnswered(true);
        (void)transfer.propertyRead(Incr, 32, incrAnnouncing(100));
        QCOMPARE(transfer.chunkAnnounced(), Step::ReadProperty);
        // The next chunk's notice may be seen before the answer to the read of this one.
        QCOMPARE(transfer.chunkAnnounced(), Step::ReadProperty);
        QCOMPARE(transfer.propertyRead(Utf8, 8, "ab"), Step::ReadProperty);
        QCOMPARE(transfer.propertyRead(Utf8, 8, "cd"), Step::WaitForChunk);
        QCOMPARE(transfer.chunkAnnounced(), Step::ReadProperty);
        QCOMPARE(transfer.propertyRead(Utf8, 8, ""), Step::Finished);
        QCOMPARE(transfer.text(), QStringLiteral("abcd"));
    }
};

QTEST_GUILESS_MAIN(TestSelectionTransfer)
#include "TestSelectionTransfer.moc"
