#pragma once

#include <chrono>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <vector>

#include "platform/PlatformServices.h"
#include "platform/fake/FakeClipboard.h"

namespace vardelo {

/// Platform services for tests, without a display: timers and a clock stepped by hand, a clipboard that
/// fails on demand, a printer and message boxes that record what they were given.
class FakePlatform final : public PlatformServices
{
public:
    FakePlatform();
    ~FakePlatform() override;
    FakePlatform(const FakePlatform&) = delete;
    FakePlatform& operator=(const FakePlatform&) = delete;

    FakeClipboard& clipboard() override { return m_clipboard; }
    std::unique_ptr<Timer> createTimer(std::chrono::milliseconds interval, std::function<void()> onTick) override;
    QString timeOfDay() const override { return m_timeOfDay; }
    std::chrono::milliseconds untilNextSecond() const override;
    /// Reads the text at once and lets the source go; the print ends now, or when told to.
    void print(TextSource source, PrintEnded ended) override;
    void showMessage(const Message& message) override;
    QString driveRoot() const override { return m_driveRoot; }
    /// Reads the text at once and lets the source go, and writes the file (a real one) now, or when told to.
    void writeTextFile(const QString& path, TextSource source, WriteEnded ended) override;

    /// Moves the clock on, running every timer tick that falls due, in time order.
    void advance(std::chrono::milliseconds duration);
    int activeTimers() const;

    void setTimeOfDay(const QString& time) { m_timeOfDay = time; }
    /// Where the wall clock stands when the fake's own clock is at zero; whole seconds by default.
    void setWallClockOffset(std::chrono::milliseconds offset) { m_wallClockOffset = offset; }
    void setDriveRoot(const QString& root) { m_driveRoot = root; }

    /// The next print fails with this reason.
    void failNextPrint(const QString& reason) { m_printFailure = reason; }
    /// The texts of the prints so far, ended or not, in the order asked.
    const std::vector<QString>& printedDocuments() const { return m_printed; }
    /// From now on a print is read but ends only when finishPrint() says so: lets a test act while a job is
    /// being made.
    void holdPrints() { m_holdPrints = true; }
    /// Ends the oldest print that waits, as the next failure set says or as printed; false when none waits.
    bool finishPrint();

    const std::vector<Message>& messages() const { return m_messages; }
    /// Runs while a message is "open", before showMessage returns: lets a test act during a modal box.
    void setWhileMessageOpen(std::function<void(const Message&)> hook) { m_whileMessageOpen = std::move(hook); }

    /// From now on a file is read but waits to be written until finishWrite(): lets a test act while a file
    /// is being written.
    void holdWrites() { m_holdWrites = true; }
    /// Writes the oldest waiting file and tells how it ended; false when none waits.
    bool finishWrite();

private:
    class FakeTimer;
    struct TimerState
    {
        std::chrono::milliseconds interval;
        std::chrono::milliseconds nextDue;
        bool active = false;
        std::function<void()> onTick;
    };

    std::chrono::milliseconds m_now {0};
    std::chrono::milliseconds m_wallClockOffset {0};
    int m_nextTimerId = 0;
    std::map<int, TimerState> m_timers;
    FakeClipboard m_clipboard;
    QString m_timeOfDay = QStringLiteral("12:34:56");
    QString m_driveRoot;
    std::optional<QString> m_printFailure;
    std::vector<QString> m_printed;
    bool m_holdPrints = false;
    std::deque<PrintEnded> m_heldPrints;
    std::vector<Message> m_messages;
    std::function<void(const Message&)> m_whileMessageOpen;
    struct HeldWrite
    {
        QString path;
        QString text;
        WriteEnded ended;
    };
    bool m_holdWrites = false;
    std::deque<HeldWrite> m_heldWrites;
};

} // namespace vardelo
