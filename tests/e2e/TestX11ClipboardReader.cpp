#include <signal.h>

#include <cstdlib>

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTest>
#include <QTimer>

#include "collect/CaptureRule.h"
#include "platform/clipboard/x11/X11ClipboardReader.h"
#include "platform/qt/QtTimer.h"
#include "tests/support/ClipboardOwner.h"
#include "tests/support/ProcessMemory.h"
#include "windows/DocumentBox.h"
#include "windows/HiddenTextBox.h"

#include <xcb/xcb.h>

using namespace vardelo;
using namespace std::chrono_literals;
using vardelo::test::ClipboardOwner;
using vardelo::test::processMemory;

namespace {

const QString Sep = QStringLiteral("\r\n---------------\r\n");

/// Long enough for a stalled read to time out and be tried again more than once.
constexpr int StallWindowMs = 2600;
/// Far below the 1 s a frozen program would show, and well above a busy machine's timer jitter.
constexpr qint64 MaxTickGapMs = 250;

/// Turns the event loop as the program does, waking for every answer from the X server. QTRY's waits sleep
/// 10 ms between turns, more than a copy can spare when copies come 50 ms apart and each takes four round
/// trips.
void runEventLoop(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

QByteArray largeText(qsizetype bytes)
{
    QByteArray text;
    text.reserve(bytes + 100);
    for (int line = 0; text.size() < bytes; ++line) {
        text += QStringLiteral("строка %1: съешь же ещё этих мягких булок\r\n").arg(line).toUtf8();
    }
    text.truncate(bytes - 1); // may cut a character in half; the owner offers whatever bytes it was given
    text += 'x';
    return text;
}

} // namespace

/// The X11 reader against real owners on a real X server, with the capture rule ticking over it as in the
/// program.
class TestX11ClipboardReader : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        m_owner = std::make_unique<ClipboardOwner>();
        m_other = std::make_unique<ClipboardOwner>();
        // Every test starts from a clipboard that holds a known text.
        QVERIFY(m_owner->copy("start"));
        startReader();
        QTRY_COMPARE_WITH_TIMEOUT(m_document->text().value(), Sep + "start", 5000);
        m_document->setText(QString()).ok();
    }

    void cleanup()
    {
        m_timer.reset();
        m_rule.reset();
        m_reader.reset();
        m_other.reset();
        m_owner.reset();
    }

    void textsAreReadExactly_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("expected");

        const QString crlf = QStringLiteral("строка\r\nещё\rи\nтаб\t\u00a0конец");
        QTest::newRow("UTF-8, line ends kept") << "xclip" << QStringList {"UTF8_STRING"} << crlf.toUtf8() << crlf;
        QTest::newRow("UTF-8 starting with U+FEFF")
            << "xclip" << QStringList {"UTF8_STRING"} << QStringLiteral("\ufeffтекст").toUtf8()
            << QStringLiteral("\ufeffтекст");
        QTest::newRow("UTF-8 with NUL") << "xclip" << QStringList {"UTF8_STRING"} << QByteArray("a\0b", 3)
                                        << QString(QStringLiteral("a") + QChar(0) + QStringLiteral("b"));
        QTest::newRow("STRING only, Latin-1") << "xclip" << QStringList {"STRING"} << QByteArray("caf\xe9 \xa0\xff")
                                              << QStringLiteral("caf\u00e9 \u00a0\u00ff");
        QTest::newRow("COMPOUND_TEXT only")
            << "owner" << QStringList {"--target", "COMPOUND_TEXT"}
            << QByteArray("caf\xe9 \x1b%G") + QStringLiteral("ёж").toUtf8() + QByteArray("\x1b%@!")
            << QStringLiteral("caf\u00e9 ёж!");
        QTest::newRow("chunks that split characters")
            << "owner" << QStringList {"--chunk", "1001"} << largeText(40'000) << QString::fromUtf8(largeText(40'000));
    }
    void textsAreReadExactly()
    {
        QFETCH(QString, program);
        QFETCH(QStringList, options);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, expected);
        QVERIFY(program == "xclip" ? m_other->copy(bytes, options.value(0)) : m_other->own(bytes, options));
        QTRY_COMPARE_WITH_TIMEOUT(m_document->text().value(), Sep + expected, 5000);
    }

    void textOnTheClipboardAtStartIsReadAtOnce()
    {
        m_document->setText(QString()).ok();
        m_timer->stop();
        QVERIFY(m_other->copy("already there"));
        startReader();
        // The first read cannot know the text yet and must not pass for an empty clipboard.
        QVERIFY(!m_reader->read().ok());
        QTRY_COMPARE_WITH_TIMEOUT(m_document->text().value(), Sep + "already there", 5000);
    }

    void ownerWithoutTextReadsAsEmpty_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("picture only (xclip)") << "xclip";
        QTest::newRow("picture only (test owner)") << "owner";
        QTest::newRow("clipboard set to nobody") << "clear";
    }
    void ownerWithoutTextReadsAsEmpty()
    {
        QFETCH(QString, how);
        const QByteArray png("\x89PNG\r\n\x1a\n", 8);
        if (how == "xclip") {
            QVERIFY(m_other->copy(png, "image/png"));
        } else if (how == "owner") {
            QVERIFY(m_other->own(png, {"--target", "image/png"}));
        } else {
            QVERIFY(m_other->own({}, {"--clear"}));
        }
        QTRY_VERIFY_WITH_TIMEOUT(m_reader->read().ok() && m_reader->read().value().text.isEmpty(), 5000);
        QTRY_COMPARE_WITH_TIMEOUT(m_document->text().value(), Sep, 5000);
    }

    void ownerThatExitsLeavesItsText()
    {
        m_owner->stop();
        QTest::qWait(StallWindowMs);
        QCOMPARE(m_reader->read().value().text, QStringLiteral("start"));
        QCOMPARE(m_document->text().value(), QString());

        QVERIFY(m_other->copy("start"));
        QTest::qWait(300);
        QCOMPARE(m_document->text().value(), QString());

        QVERIFY(m_other->copy("next"));
        QTRY_COMPARE_WITH_TIMEOUT(m_document->text().value(), Sep + "next", 5000);
    }

    void stoppedOwnerNeitherFreezesNorMisleads_data()
    {
        QTest::addColumn<bool>("resume");
        QTest::newRow("owner resumes") << true;
        QTest::newRow("a new copy replaces it") << false;
    }
    void stoppedOwnerNeitherFreezesNorMisleads()
    {
        QFETCH(bool, resume);
        QVERIFY(m_other->own("late", {"--stop-when-owning"}));
        m_maxGapMs = 0;
        QTest::qWait(StallWindowMs);
        QVERIFY(!m_reader->read().ok());
        QCOMPARE(m_document->text().value(), QString());
        QVERIFY2(m_maxGapMs < MaxTickGapMs, qPrintable(QString::number(m_maxGapMs)));

        if (resume) {
            m_other->pause(false);
            QTRY_COMPARE_WITH_TIMEOUT(m_document->text().value(), Sep + "late", 5000);
        } else {
            QVERIFY(m_owner->copy("fresh"));
            QTRY_COMPARE_WITH_TIMEOUT(m_document->text().value(), Sep + "fresh", 5000);
        }
        // Answers to the attempts that timed out arrive late; none may add the text again.
        QTest::qWait(500);
        QCOMPARE(m_document->text().value().count(Sep), 1);
    }

    void ownerStalledInChunksIsReadWholeLater()
    {
        const QByteArray text = largeText(100'000);
        QVERIFY(m_other->own(text, {"--chunk", "4096", "--stop-after-chunks", "3"}));
        m_maxGapMs = 0;
        QTest::qWait(StallWindowMs);
        QCOMPARE(m_document->text().value(), QString());
        QVERIFY2(m_maxGapMs < MaxTickGapMs, qPrintable(QString::number(m_maxGapMs)));

        m_other->pause(false);
        QTRY_COMPARE_WITH_TIMEOUT(m_document->text().value(), Sep + QString::fromUtf8(text), 10000);
    }

    void idleClipboardCostsTheOwnerNothing()
    {
        QVERIFY(m_other->own("counted", {"--log-requests"}));
        QTRY_COMPARE_WITH_TIMEOUT(m_document->text().value(), Sep + "counted", 5000);
        const qsizetype asked = m_other->output().count("request");
        QVERIFY(asked >= 1);
        QTest::qWait(1000);
        QCOMPARE(m_other->output().count("request"), asked);
    }

    void copiesInQuickSuccessionAreAllCaught()
    {
        QVERIFY(m_other->own({}, {"--series", "50", "--interval-ms", "50"}));
        runEventLoop(50 * 50 + 500);
        QTRY_COMPARE_WITH_TIMEOUT(m_document->text().value().count(Sep), 50, 10000);
        const QStringList entries = m_document->text().value().split(Sep, Qt::SkipEmptyParts);
        QCOMPARE(entries.size(), 50);
        for (int i = 0; i < entries.size(); ++i) {
            QVERIFY2(entries.at(i).startsWith(QStringLiteral("copy %1 ").arg(i)), qPrintable(entries.at(i)));
        }
    }

    void slowOwnerIsReadOnceAndAskedSeldom()
    {
        const QString text = QStringLiteral("большая таблица");
        QElapsedTimer sinceCopy;
        QVERIFY(m_other->own(text.toUtf8(), {"--answer-after-ms", "2500", "--log-requests"}));
        sinceCopy.start();
        QTRY_COMPARE_WITH_TIMEOUT(m_document->text().value(), Sep + text, 10000);
        QTest::qWait(static_cast<int>(std::max<qint64>(0, 7000 - sinceCopy.elapsed())));
        QCOMPARE(m_document->text().value(), Sep + text);
        const qsizetype asked = m_other->output().count("request UTF8_STRING");
        QVERIFY2(asked <= 3, qPrintable(QString::number(asked)));
    }

    void lateRefusalOfThePreviousOwnerIsNotTheNewOnes()
    {
        // The first owner refuses its text late, while the second is still busy with its answer.
        QVERIFY(m_owner->own("first", {"--refuse-after-ms", "600", "--log-requests"}));
        QTRY_VERIFY_WITH_TIMEOUT(m_owner->output().contains("request UTF8_STRING"), 5000);
        const QString text = QStringLiteral("Съешь же ещё этих мягких булок");
        QVERIFY(
            m_other->own(text.toUtf8(), {"--target", "UTF8_STRING", "--target", "STRING", "--answer-after-ms", "800"}));
        QTRY_COMPARE_WITH_TIMEOUT(m_document->text().value(), Sep + text, 5000);
    }

    void unreadableTextAddsNoEntry_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QByteArray>("target");
        // Cyrillic in ISO 8859-5, a character set the compound text decoder does not know.
        QTest::newRow("undecodable") << QByteArray("\x1b-L\xbf\xe0\xd8\xd2\xd5\xe2")
                                     << QStringList {"--target", "COMPOUND_TEXT"} << QByteArray("COMPOUND_TEXT");
        QTest::newRow("text offered, then refused")
            << QByteArray("withheld") << QStringList {"--refuse-after-ms", "0"} << QByteArray("UTF8_STRING");
    }
    void unreadableTextAddsNoEntry()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, options);
        QFETCH(QByteArray, target);
        QVERIFY(m_other->own(bytes, options << "--log-requests"));
        QTRY_VERIFY_WITH_TIMEOUT(m_other->output().contains("request " + target), 5000);
        QTest::qWait(300);
        QVERIFY(!m_reader->read().ok());
        QCOMPARE(m_document->text().value(), QString());
    }

    void brokenOffAnswerIsAskedAgainOnceAttemptsAreFree()
    {
        // Each copy of the series is given up for the next while its chunked answer stalls, until the owner holds
        // six given-up requests; the seventh copy's answer is then broken off.
        QVERIFY(m_other->own({}, {"--series", "7", "--interval-ms", "200", "--chunk", "8", "--stall-chunked", "6"}));
        QTest::qWait(7 * 200 + 2500); // past the wait before the broken-off answer may be asked for again
        QCOMPARE(m_document->text().value(), QString());
        // The stalled answers go on to their end, which frees the owner's attempts.
        ::kill(static_cast<pid_t>(m_other->pid()), SIGUSR1);
        QTRY_VERIFY_WITH_TIMEOUT(m_document->text().value().startsWith(Sep + "copy 6 "), 10000);
        QCOMPARE(m_document->text().value().count(Sep), 1);
    }

    void endlessAnswerEndsTheReadAtTheLimit()
    {
        QVERIFY(m_owner->copy("before"));
        QTRY_COMPARE_WITH_TIMEOUT(m_document->text().value(), Sep + "before", 5000);
        [[maybe_unused]] const qint64 before = processMemory("VmRSS:");
        QVERIFY(m_other->own(largeText(2 * 1024 * 1024), {"--chunk", "1048576", "--endless"}));
        m_maxGapMs = 0;
        QTRY_COMPARE_WITH_TIMEOUT(m_reader->read().reason(), tooLargeToRead(), 60000);
        QVERIFY2(m_maxGapMs < MaxTickGapMs, qPrintable(QString::number(m_maxGapMs)));
        QVERIFY(m_owner->copy("after"));
        QTRY_COMPARE_WITH_TIMEOUT(m_document->text().value(), Sep + "before" + Sep + "after", 5000);
#ifndef __SANITIZE_ADDRESS__
        // The sanitizer's allocator keeps freed memory for a while and pads the rest.
        const qint64 peak = processMemory("VmHWM:");
        QVERIFY2(peak - before <= MaxClipboardBytes + 64 * 1024 * 1024,
            qPrintable(QStringLiteral("from %1 MB to %2 MB").arg(before >> 20).arg(peak >> 20)));
#endif
    }

    void brokenConnectionStopsTheReaderOnce()
    {
        // An owner that does not answer: its first request is given up after 1 s and asked again; the second,
        // 2 s later, takes the last spare property, and the reader asks the X server for another.
        QVERIFY(m_other->own("never", {"--answer-after-ms", "600000", "--log-requests"}));
        QTRY_COMPARE_WITH_TIMEOUT(m_other->output().count("request UTF8_STRING"), 2, 5000);
        // With the server grabbed, what the reader asks meanwhile stays unanswered, and its connection is then
        // closed under it.
        const QByteArray log = m_other->output();
        const auto readerWindow = static_cast<xcb_window_t>(log.mid(log.lastIndexOf(" from ") + 6).trimmed().toUInt());
        QVERIFY(readerWindow != XCB_NONE);
        xcb_connection_t* c = xcb_connect(nullptr, nullptr);
        xcb_grab_server(c);
        std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
        QTest::qWait(3000);
        xcb_kill_client(c, readerWindow);
        xcb_ungrab_server(c);
        std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
        xcb_disconnect(c);

        static int warnings = 0;
        warnings = 0;
        const QtMessageHandler previous
            = qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString& message) {
                  warnings += message.contains(QStringLiteral("X-сервер")) ? 1 : 0;
              });
        m_maxGapMs = 0;
        QTRY_COMPARE_WITH_TIMEOUT(warnings, 1, 5000);
        QTest::qWait(500);
        qInstallMessageHandler(previous);
        QCOMPARE(warnings, 1);
        QVERIFY2(m_maxGapMs < MaxTickGapMs, qPrintable(QString::number(m_maxGapMs)));
        QVERIFY(!m_reader->read().ok());
        QCOMPARE(m_document->text().value(), QString());
    }

    void secretIsNeverCollected()
    {
        QVERIFY(m_owner->copy("before"));
        QTRY_COMPARE_WITH_TIMEOUT(m_document->text().value(), Sep + "before", 5000);
        QVERIFY(m_other->own("password", {"--secret", "--log-requests"}));
        QTRY_VERIFY_WITH_TIMEOUT(m_reader->read().ok() && m_reader->read().value().secret, 5000);
        QVERIFY(m_owner->copy("after"));
        QTRY_COMPARE_WITH_TIMEOUT(m_document->text().value(), Sep + "before" + Sep + "after", 5000);
        // Its text was never even asked for.
        QVERIFY2(!m_other->output().contains("request UTF8_STRING"), m_other->output().constData());
    }

    void thirtyMegabytesArriveWhole()
    {
        const QByteArray text = largeText(30 * 1024 * 1024);
        QVERIFY(m_other->copy(text));
        QTRY_VERIFY_WITH_TIMEOUT(m_document->text().value().size() > Sep.size(), 60000);
        QVERIFY(m_document->text().value() == Sep + QString::fromUtf8(text));
    }

private:
    void startReader()
    {
        m_timer.reset();
        m_rule.reset();
        m_reader = X11ClipboardReader::create();
        QVERIFY(m_reader);
        m_document = std::make_unique<DocumentBox>();
        m_last = std::make_unique<HiddenTextBox>();
        m_rule = std::make_unique<CaptureRule>(*m_reader, *m_document, *m_last);
        QVERIFY(m_rule->load().ok());
        m_sinceTick.start();
        m_timer = std::make_unique<QtTimer>(10ms, [this] {
            m_maxGapMs = std::max(m_maxGapMs, m_sinceTick.restart());
            m_rule->tick();
        });
        m_timer->start();
    }

    std::unique_ptr<ClipboardOwner> m_owner;
    std::unique_ptr<ClipboardOwner> m_other;
    std::unique_ptr<X11ClipboardReader> m_reader;
    std::unique_ptr<DocumentBox> m_document;
    std::unique_ptr<HiddenTextBox> m_last;
    std::unique_ptr<CaptureRule> m_rule;
    std::unique_ptr<QtTimer> m_timer;
    QElapsedTimer m_sinceTick;
    qint64 m_maxGapMs = 0;
};

QTEST_MAIN(TestX11ClipboardReader)
#include "TestX11ClipboardReader.moc"
