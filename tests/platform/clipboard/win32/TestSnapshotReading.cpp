#include <condition_variable>
#include <mutex>
#include <thread>

#include <QTest>

#include "collect/CaptureRule.h"
#include "platform/clipboard/win32/ClipboardAccess.h"
#include "platform/clipboard/win32/SnapshotClipboardReader.h"
#include "tests/support/MemoryText.h"

using namespace vardelo;

namespace {

const QString Sep = QStringLiteral("\r\n---------------\r\n");

/// The Windows clipboard as a test plays it: texts copied by hand, and another program that holds it open for
/// a number of attempts to open it. Used by the reading thread and the test alike.
class HeldClipboard final : public ClipboardAccess
{
public:
    /// Copies a text whose memory block has this size (by default its own, with its NUL).
    void copy(const QString& text, std::optional<std::size_t> blockBytes = std::nullopt)
    {
        const std::lock_guard lock(m_mutex);
        m_text = text;
        m_blockBytes = blockBytes.value_or(std::size_t(text.size() + 1) * sizeof(char16_t));
        ++m_sequence;
    }
    void holdOpen(int attempts)
    {
        const std::lock_guard lock(m_mutex);
        m_heldFor = attempts;
    }
    int refusedOpens() const
    {
        const std::lock_guard lock(m_mutex);
        return m_refused;
    }

    std::uint32_t sequenceNumber() const override
    {
        const std::lock_guard lock(m_mutex);
        return m_sequence;
    }
    bool open() override
    {
        const std::lock_guard lock(m_mutex);
        if (m_heldFor > 0) {
            --m_heldFor;
            ++m_refused;
            return false;
        }
        return true;
    }
    void close() override { }
    bool isSecret() const override { return false; }
    bool hasText() const override { return true; }
    std::optional<std::size_t> textBlockBytes() const override
    {
        const std::lock_guard lock(m_mutex);
        return m_blockBytes;
    }
    std::optional<QString> text() const override
    {
        const std::lock_guard lock(m_mutex);
        return m_text;
    }

private:
    mutable std::mutex m_mutex;
    QString m_text;
    std::size_t m_blockBytes = 2;
    std::uint32_t m_sequence = 0;
    int m_heldFor = 0;
    int m_refused = 0;
};

/// What the Windows reader's thread does, without Windows: on each notice of a change, reads until it can and
/// hands the read over; a clipboard held open is tried again a moment later.
class ReadingThread final
{
public:
    ReadingThread(ClipboardAccess& clipboard, std::shared_ptr<SnapshotClipboardReader::Inbox> inbox)
        : m_thread([this, &clipboard, inbox = std::move(inbox)] {
            std::uint32_t lastSequence = 0;
            std::unique_lock lock(m_mutex);
            for (;;) {
                m_wake.wait(lock, [this] { return m_changed || m_stopping; });
                if (m_stopping) {
                    return;
                }
                m_changed = false;
                lock.unlock();
                inbox->noticed();
                std::optional<ClipboardSnapshot> snapshot;
                while (!(snapshot = readSnapshot(clipboard, lastSequence, MaxClipboardBytes))) {
                    std::this_thread::sleep_for(std::chrono::milliseconds(2));
                }
                inbox->publish(std::move(*snapshot));
                lock.lock();
            }
        })
    { }
    ~ReadingThread()
    {
        {
            const std::lock_guard lock(m_mutex);
            m_stopping = true;
        }
        m_wake.notify_one();
        m_thread.join();
    }
    /// Windows tells of a change.
    void changed()
    {
        {
            const std::lock_guard lock(m_mutex);
            m_changed = true;
        }
        m_wake.notify_one();
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_changed = false;
    bool m_stopping = false;
    std::thread m_thread;
};

} // namespace

/// The Windows reader's way with the clipboard, on a clipboard that other programs hold open or fill with more
/// than is read, and a thread of its own that hands its reads to the event loop.
class TestSnapshotReading : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void aHeldClipboardIsNoEmptyOneAndATooLargeTextIsNotRead()
    {
        HeldClipboard clipboard;
        SnapshotClipboardReader reader;
        test::MemoryText document;
        test::MemoryText lastCaptured;
        CaptureRule capture(reader, document, lastCaptured);
        QVERIFY(capture.load().ok());
        ReadingThread thread(clipboard, reader.inbox());
        const auto collected = [&] {
            (void)capture.tick();
            return document.value;
        };

        clipboard.copy(QStringLiteral("A"));
        thread.changed();
        QTRY_COMPARE(collected(), Sep + "A");

        // Another program holds the clipboard open when the next copy is told: nothing is collected until it
        // opens, then the copy once.
        clipboard.holdOpen(50);
        clipboard.copy(QStringLiteral("B\r\n"));
        thread.changed();
        QTRY_COMPARE(collected(), Sep + "A" + Sep + "B\r\n");
        QCOMPARE(clipboard.refusedOpens(), 50);
        thread.changed();
        QTest::qWait(50);
        QCOMPARE(collected(), Sep + "A" + Sep + "B\r\n");

        // A text whose block is over the limit is not read, nor collected; the next copy is.
        clipboard.copy(QStringLiteral("C"), std::size_t(MaxClipboardBytes) + 2);
        thread.changed();
        QTRY_COMPARE(reader.read().reason(), tooLargeToRead());
        QCOMPARE(collected(), Sep + "A" + Sep + "B\r\n");
        clipboard.copy(QStringLiteral("D"));
        thread.changed();
        QTRY_COMPARE(collected(), Sep + "A" + Sep + "B\r\n" + Sep + "D");
    }
};

QTEST_GUILESS_MAIN(TestSnapshotReading)
#include "TestSnapshotReading.moc"
