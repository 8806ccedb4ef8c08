#include <QTest>

#include "platform/clipboard/x11/PropertyPool.h"

using namespace vardelo;
using Stage = PropertyPool::Stage;

namespace {

constexpr std::uint32_t Incr = 303;
constexpr std::uint32_t Utf8 = 300;
constexpr std::uint32_t Property = 500;
constexpr std::uint32_t Owner = 600;
constexpr std::uint32_t Time = 700;

/// What happens to a property after its attempt was given up.
enum Happening
{
    Answer, // the owner's SelectionNotify names the property
    Refusal, // a SelectionNotify refuses the same target at the same time
    OtherRefusal, // ... another target
    Written, // PropertyNotify: a new value
    HeldIncr, // what looking at the property found
    HeldChunk,
    HeldEmptyChunk,
    HeldText,
    Gone, // the owner's window is destroyed
    OtherGone,
};

} // namespace

Q_DECLARE_METATYPE(Stage)

/// When a property given up may be lent again, with the X server's events played by hand.
class TestPropertyPool : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void givenUpPropertyIsLentOnlyOnceItsOwnerIsDone_data()
    {
        QTest::addColumn<Stage>("stage");
        QTest::addColumn<QList<int>>("happenings");
        QTest::addColumn<int>("looks");
        QTest::addColumn<bool>("free");

        QTest::newRow("late text") << Stage::Unanswered << QList<int> {Answer, HeldText} << 1 << true;
        QTest::newRow("late chunks, drained to the end")
            << Stage::Unanswered << QList<int> {Answer, HeldIncr, Written, HeldChunk, Written, HeldEmptyChunk} << 3
            << true;
        QTest::newRow("late chunks still coming")
            << Stage::Unanswered << QList<int> {Answer, HeldIncr, Written, HeldChunk} << 2 << false;
        QTest::newRow("answer being written") << Stage::Unanswered << QList<int> {Written} << 0 << false;
        QTest::newRow("late refusal") << Stage::Unanswered << QList<int> {Refusal} << 0 << true;
        QTest::newRow("refusal of another request") << Stage::Unanswered << QList<int> {OtherRefusal} << 0 << false;
        QTest::newRow("given up while reading text") << Stage::Answered << QList<int> {HeldText} << 0 << true;
        QTest::newRow("given up while reading INCR, first chunk seen first")
            << Stage::Answered << QList<int> {Written, HeldIncr, HeldChunk} << 1 << false;
        QTest::newRow("given up between chunks") << Stage::Chunked << QList<int> {Written, HeldEmptyChunk} << 1 << true;
        QTest::newRow("owner gone") << Stage::Chunked << QList<int> {Gone} << 0 << true;
        QTest::newRow("another owner gone") << Stage::Unanswered << QList<int> {OtherGone} << 0 << false;
    }
    void givenUpPropertyIsLentOnlyOnceItsOwnerIsDone()
    {
        QFETCH(Stage, stage);
        QFETCH(QList<int>, happenings);
        QFETCH(int, looks);
        QFETCH(bool, free);
        PropertyPool pool(Incr);
        pool.add(Property);
        QCOMPARE(pool.take(), std::optional(Property));
        pool.giveUp(Property, {Owner, Time, Utf8, stage});
        int looked = 0;
        for (const int happening : happenings) {
            switch (happening) {
            case Answer:
                looked += pool.answered(Time, Utf8, Property) ? 1 : 0;
                break;
            case Refusal:
            case OtherRefusal:
                QVERIFY(!pool.answered(Time, happening == Refusal ? Utf8 : Utf8 + 1, 0));
                break;
            case Written:
                looked += pool.valueWritten(Property) ? 1 : 0;
                break;
            case HeldIncr:
                pool.inspected(Property, Incr, 4);
                break;
            case HeldChunk:
            case HeldEmptyChunk:
            case HeldText:
                pool.inspected(Property, Utf8, happening == HeldEmptyChunk ? 0 : 100);
                break;
            case Gone:
            case OtherGone:
                pool.ownerGone(happening == Gone ? Owner : Owner + 1);
                break;
            }
        }
        QCOMPARE(looked, looks);
        QCOMPARE(pool.take(), free ? std::optional(Property) : std::nullopt);
        QCOMPARE(pool.heldBy(Owner), free ? 0u : 1u);
    }

    void lateAnswerToTheRequestAskedAgainIsTakenBack()
    {
        PropertyPool pool(Incr);
        pool.add(Property);
        QCOMPARE(pool.take(), std::optional(Property));
        pool.giveUp(Property, {Owner, Time, Utf8, Stage::Unanswered});
        QVERIFY(!pool.reclaim(Property, Owner + 1, Time, Utf8)); // another owner's
        QVERIFY(!pool.reclaim(Property, Owner, Time, Utf8 + 1)); // another request's
        QVERIFY(pool.reclaim(Property, Owner, Time, Utf8));
        QCOMPARE(pool.heldBy(Owner), 0u);
        QCOMPARE(pool.take(), std::nullopt); // the caller's, not free
    }
};

QTEST_GUILESS_MAIN(TestPropertyPool)
#include "TestPropertyPool.moc"
