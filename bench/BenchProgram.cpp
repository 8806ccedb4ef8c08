#include "bench/BenchProgram.h"

#include <QToolButton>

#include "bench/BenchSupport.h"

namespace vardelo::bench {

qint64 nowNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

RecordingPlatform::RecordingPlatform()
    : m_clipboard(new CopiedText)
    , m_real(std::unique_ptr<ClipboardReader>(m_clipboard))
{ }

std::unique_ptr<Timer> RecordingPlatform::createTimer(std::chrono::milliseconds interval, std::function<void()> onTick)
{
    return m_real.createTimer(interval, std::move(onTick));
}

void RecordingPlatform::print(TextSource source, PrintEnded ended)
{
    m_real.print(std::move(source), [this, ended = std::move(ended)](const Status& printed) {
        m_printsEnded.emplace_back(printed, nowNs());
        ended(printed);
    });
}

void RecordingPlatform::writeTextFile(const QString& path, TextSource source, WriteEnded ended)
{
    m_real.writeTextFile(path, std::move(source), std::move(ended));
}

TickGaps::TickGaps(int intervalMs)
{
    m_timer.setTimerType(Qt::PreciseTimer);
    m_timer.setInterval(intervalMs);
    QObject::connect(&m_timer, &QTimer::timeout, &m_timer, [this] {
        const qint64 now = nowNs();
        m_longestNs = std::max(m_longestNs, now - m_lastNs);
        m_lastNs = now;
        if (onTick) {
            onTick();
        }
    });
}

void TickGaps::start()
{
    m_lastNs = nowNs();
    m_longestNs = 0;
    m_timer.start();
}

bool Program::copyAndWait(const QString& text)
{
    platform.copied().copy(text);
    return runUntil([&] { return captured(text) && box.isShowingEverything(); }, 120000);
}

void Program::click(const char* button)
{
    main.findChild<QToolButton*>(QString::fromLatin1(button))->click();
}

} // namespace vardelo::bench
