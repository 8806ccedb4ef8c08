#include <QTest>

#include "collect/CaptureRule.h"
#include "platform/fake/FakeClipboard.h"
#include "tests/support/MemoryText.h"

using namespace vardelo;
using vardelo::test::MemoryText;

namespace {
const QString Sep = QStringLiteral("\r\n---------------\r\n");
/// Stands for a password manager's copy in the tables below.
const QString Secret = QStringLiteral("<secret>");
} // namespace

class TestCaptureRule : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        m_clipboard = std::make_unique<FakeClipboard>();
        m_document = std::make_unique<MemoryText>();
        m_last = std::make_unique<MemoryText>();
        m_last->value = QStringLiteral("stale from a previous holder");
        m_rule = std::make_unique<CaptureRule>(*m_clipboard, *m_document, *m_last);
        QVERIFY(m_rule->load().ok());
    }

    void separatorIsCrLfFifteenHyphensCrLf()
    {
        QCOMPARE(CaptureRule::separator().toUtf8(), QByteArray("\r\n---------------\r\n"));
    }

    void copiesBecomeEntries_data()
    {
        QTest::addColumn<QStringList>("copies");
        QTest::addColumn<QString>("document");

        QTest::newRow("one text") << QStringList {"abc"} << Sep + "abc";
        QTest::newRow("same text twice is one entry") << QStringList {"abc", "abc"} << Sep + "abc";
        QTest::newRow("A, B, A again is three") << QStringList {"A", "B", "A"} << Sep + "A" + Sep + "B" + Sep + "A";
        QTest::newRow("case, spaces and line ends differ") << QStringList {"a b", "A b", "a b ", "x\r\ny", "x\ny",
            "x\ry"} << Sep + "a b" + Sep + "A b" + Sep + "a b " + Sep + "x\r\ny" + Sep + "x\ny" + Sep + "x\ry";
        QTest::newRow("text kept exactly")
            << QStringList {QStringLiteral("таб\tNBSP\u00A0ls\u2028ps\u2029nul") + QChar(0) + "!"}
            << Sep + QStringLiteral("таб\tNBSP\u00A0ls\u2028ps\u2029nul") + QChar(0) + "!";
        QTest::newRow("emptied clipboard adds the separator alone")
            << QStringList {"abc", "", "abc"} << Sep + "abc" + Sep + Sep + "abc";
        QTest::newRow("empty clipboard at start adds nothing") << QStringList {"", ""} << QString();
        QTest::newRow("a secret is never collected") << QStringList {"A", Secret, "B"} << Sep + "A" + Sep + "B";
        QTest::newRow("the text before a secret again is no new entry")
            << QStringList {"A", Secret, "A", Secret, Secret, "B"} << Sep + "A" + Sep + "B";
        QTest::newRow("a secret first") << QStringList {Secret, ""} << QString();
    }
    void copiesBecomeEntries()
    {
        QFETCH(QStringList, copies);
        QFETCH(QString, document);
        QString last;
        for (const QString& copy : copies) {
            if (copy == Secret) {
                m_clipboard->setSecret();
            } else {
                m_clipboard->setText(copy);
                last = copy;
            }
            m_rule->tick();
            // A second tick over the same clipboard adds nothing, and says it has nothing to do.
            QCOMPARE(m_rule->tick(), CaptureRule::TickResult::WaitForChange);
        }
        QCOMPARE(m_document->value, document);
        QCOMPARE(m_last->value, last);
    }

    void textOnTheClipboardAtStartIsCaptured()
    {
        m_clipboard->setText(QStringLiteral("was there before"));
        MemoryText document;
        MemoryText last;
        last.value = QStringLiteral("was there before"); // whatever the holder had, load empties it
        CaptureRule rule(*m_clipboard, document, last);
        QVERIFY(rule.load().ok());
        rule.tick();
        QCOMPARE(document.value, Sep + "was there before");
    }

    void failureInEachStep_data()
    {
        QTest::addColumn<int>("failingRead");
        QTest::addColumn<QString>("document");
        QTest::addColumn<QString>("last");
        QTest::addColumn<QString>("documentAfterNextTick");

        // read 0 compares, read 1 appends, read 2 remembers
        QTest::newRow("compare fails: nothing, captured at the next tick")
            << 0 << QString() << QString() << Sep + "new";
        QTest::newRow("append fails: remembered, never captured") << 1 << QString() << "new" << QString();
        QTest::newRow("remember fails: appended again at the next tick")
            << 2 << Sep + "new" << QString() << Sep + "new" + Sep + "new";
    }
    void failureInEachStep()
    {
        QFETCH(int, failingRead);
        QFETCH(QString, document);
        QFETCH(QString, last);
        QFETCH(QString, documentAfterNextTick);
        m_clipboard->setText(QStringLiteral("new"));
        m_clipboard->failRead(failingRead);
        m_rule->tick();
        QCOMPARE(m_document->value, document);
        QCOMPARE(m_last->value, last);
        m_rule->tick();
        QCOMPARE(m_document->value, documentAfterNextTick);
        QCOMPARE(m_last->value, QStringLiteral("new"));
    }

    void failingHoldersFollowTheSameRule()
    {
        m_clipboard->setText(QStringLiteral("one"));

        m_last->failReads = true; // cannot compare: the tick ends
        m_rule->tick();
        QCOMPARE(m_document->value, QString());
        m_last->failReads = false;

        m_document->failWrites = true; // the append fails, the text is still remembered
        m_rule->tick();
        QCOMPARE(m_document->value, QString());
        QCOMPARE(m_last->value, QStringLiteral("one"));
        m_document->failWrites = false;

        m_clipboard->setText(QStringLiteral("two"));
        m_last->failWrites = true; // remembering fails: the same text comes again at the next tick
        m_rule->tick();
        m_last->failWrites = false;
        m_rule->tick();
        QCOMPARE(m_document->value, Sep + "two" + Sep + "two");
        m_rule->tick();
        QCOMPARE(m_document->value, Sep + "two" + Sep + "two");
    }

    void eachStepUsesItsOwnRead()
    {
        // The clipboard changes between the reads of one tick: the entry is what the append read, the
        // remembered text what the last read saw, so the newest text is captured at the next tick.
        m_clipboard->setText(QStringLiteral("first"));
        m_clipboard->setBeforeRead([this](int read) {
            if (read == 2) {
                m_clipboard->setText(QStringLiteral("second"));
            }
        });
        m_rule->tick();
        QCOMPARE(m_document->value, Sep + "first");
        QCOMPARE(m_last->value, QStringLiteral("second"));
        m_rule->tick();
        QCOMPARE(m_document->value, Sep + "first");
    }

    void clearKeepsTheLastCapturedText()
    {
        m_document->value = QStringLiteral("typed by hand");
        m_clipboard->setText(QStringLiteral("abc"));
        m_rule->tick();
        QVERIFY(m_rule->clear().ok());
        QCOMPARE(m_document->value, QString());
        m_rule->tick();
        QCOMPARE(m_document->value, QString()); // the clipboard's text is not collected again
        m_clipboard->setText(QStringLiteral("next"));
        m_rule->tick();
        QCOMPARE(m_rule->readDocument().value(), Sep + "next");
    }

    void unreadableClipboardAddsNothing()
    {
        // Before and after a capture: a failed read taken for an empty clipboard would add an empty entry.
        for (const QString& copy : {QStringLiteral("text"), QStringLiteral("more")}) {
            const QString before = m_document->value;
            m_clipboard->setText(copy);
            m_clipboard->setUnreadable(true);
            for (int i = 0; i < 10; ++i) {
                QCOMPARE(m_rule->tick(), CaptureRule::TickResult::MayHaveMore);
            }
            QCOMPARE(m_document->value, before);
            m_clipboard->setUnreadable(false);
            m_rule->tick();
            QCOMPARE(m_document->value, before + Sep + copy);
        }
    }

private:
    std::unique_ptr<FakeClipboard> m_clipboard;
    std::unique_ptr<MemoryText> m_document;
    std::unique_ptr<MemoryText> m_last;
    std::unique_ptr<CaptureRule> m_rule;
};

QTEST_GUILESS_MAIN(TestCaptureRule)
#include "TestCaptureRule.moc"
