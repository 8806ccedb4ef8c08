#pragma once

#include <chrono>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

#include <QTimer>

#include "platform/qt/QtPlatform.h"
#include "windows/DocumentBox.h"
#include "windows/HiddenTextBox.h"
#include "windows/MainWindow.h"
#include "windows/ProgramWindows.h"

namespace vardelo::bench {

/// Now, in nanoseconds of the monotonic clock.
qint64 nowNs();

/// A clipboard whose text is set by hand, which tells the program when it changes, as the real readers do.
class CopiedText final : public ClipboardReader
{
public:
    Result<ClipboardContent> read() override { return ClipboardContent {m_text, false}; }
    void copy(const QString& text)
    {
        m_text = text;
        notifyChange();
    }

private:
    QString m_text;
};

/// The program's real platform, but for message boxes, which are recorded with the moment they came, and the
/// ends of prints, recorded with theirs.
class RecordingPlatform final : public PlatformServices
{
public:
    RecordingPlatform();

    CopiedText& copied() { return *m_clipboard; }
    const std::vector<std::pair<Message, qint64>>& messages() const { return m_messages; }
    const std::vector<std::pair<Status, qint64>>& printsEnded() const { return m_printsEnded; }

    ClipboardReader& clipboard() override { return m_real.clipboard(); }
    std::unique_ptr<Timer> createTimer(std::chrono::milliseconds interval, std::function<void()> onTick) override;
    QString timeOfDay() const override { return m_real.timeOfDay(); }
    std::chrono::milliseconds untilNextSecond() const override { return m_real.untilNextSecond(); }
    void print(TextSource source, PrintEnded ended) override;
    void showMessage(const Message& message) override { m_messages.emplace_back(message, nowNs()); }
    QString driveRoot() const override { return m_real.driveRoot(); }
    void writeTextFile(const QString& path, TextSource source, WriteEnded ended) override;

private:
    CopiedText* m_clipboard;
    QtPlatform m_real;
    std::vector<std::pair<Message, qint64>> m_messages;
    std::vector<std::pair<Status, qint64>> m_printsEnded;
};

/// The longest time between two ticks of a timer, from when it is started: what the event loop was kept
/// from running for, plus the interval.
class TickGaps final
{
public:
    explicit TickGaps(int intervalMs);

    void start();
    double longestMs() const { return double(m_longestNs) / 1e6; }

    std::function<void()> onTick;

private:
    QTimer m_timer;
    qint64 m_lastNs = 0;
    qint64 m_longestNs = 0;
};

/// The program's windows on the recording platform, the main window shown.
struct Program
{
    RecordingPlatform platform;
    ProgramWindows windows {platform};
    MainWindow& main = windows.showMain();
    DocumentBox& box = *main.findChild<DocumentBox*>(QStringLiteral("vardelo"));
    const HiddenTextBox& lastCaptured = *main.findChild<HiddenTextBox*>(QStringLiteral("TTT"));

    bool captured(const QString& text) const { return lastCaptured.text().value() == text; }
    /// Copies the text and waits until it is collected and shown.
    bool copyAndWait(const QString& text);
    /// Clicks a button of the main window.
    void click(const char* button);
};

} // namespace vardelo::bench
