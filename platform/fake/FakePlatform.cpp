#include "platform/fake/FakePlatform.h"

#include <utility>

#include <QDir>

#include "platform/textfile/AtomicFile.h"

namespace vardelo {

class FakePlatform::FakeTimer final : public Timer
{
public:
    FakeTimer(FakePlatform& platform, int id)
        : m_platform(platform)
        , m_id(id)
    { }
    ~FakeTimer() override { m_platform.m_timers.erase(m_id); }

    void start() override { startIn(interval()); }
    void startIn(std::chrono::milliseconds firstTick) override
    {
        TimerState& state = m_platform.m_timers.at(m_id);
        state.active = true;
        state.nextDue = m_platform.m_now + firstTick;
    }
    void stop() override { m_platform.m_timers.at(m_id).active = false; }
    bool isActive() const override { return m_platform.m_timers.at(m_id).active; }
    std::chrono::milliseconds interval() const override { return m_platform.m_timers.at(m_id).interval; }

private:
    FakePlatform& m_platform;
    const int m_id;
};

FakePlatform::FakePlatform()
    : m_driveRoot(QDir::tempPath() + QLatin1Char('/'))
{ }

FakePlatform::~FakePlatform() = default;

std::unique_ptr<Timer> FakePlatform::createTimer(std::chrono::milliseconds interval, std::function<void()> onTick)
{
    const int id = m_nextTimerId++;
    m_timers.emplace(id, TimerState {interval, m_now + interval, false, std::move(onTick)});
    return std::make_unique<FakeTimer>(*this, id);
}

void FakePlatform::advance(std::chrono::milliseconds duration)
{
    const auto until = m_now + duration;
    for (;;) {
        // Look the next due timer up afresh each time: a tick may stop, start or destroy timers.
        auto next = m_timers.end();
        for (auto it = m_timers.begin(); it != m_timers.end(); ++it) {
            if (it->second.active && it->second.nextDue <= until
                && (next == m_timers.end() || it->second.nextDue < next->second.nextDue)) {
                next = it;
            }
        }
        if (next == m_timers.end()) {
            break;
        }
        m_now = next->second.nextDue;
        next->second.nextDue += next->second.interval;
        // Copy the handler: it may destroy its own timer while it runs.
        const auto onTick = next->second.onTick;
        onTick();
    }
    m_now = until;
}

std::chrono::milliseconds FakePlatform::untilNextSecond() const
{
    using namespace std::chrono_literals;
    return 1000ms - (m_now + m_wallClockOffset) % 1000ms;
}

int FakePlatform::activeTimers() const
{
    return static_cast<int>(
        std::count_if(m_timers.begin(), m_timers.end(), [](const auto& t) { return t.second.active; }));
}

void FakePlatform::print(TextSource source, PrintEnded ended)
{
    QString text;
    source([&text](QStringView piece) {
        text += piece;
        return true;
    });
    source = nullptr;
    m_printed.push_back(std::move(text));
    m_heldPrints.push_back(std::move(ended));
    if (!m_holdPrints) {
        finishPrint();
    }
}

bool FakePlatform::finishPrint()
{
    if (m_heldPrints.empty()) {
        return false;
    }
    const PrintEnded ended = std::move(m_heldPrints.front());
    m_heldPrints.pop_front();
    ended(m_printFailure ? Status::failure(*std::exchange(m_printFailure, std::nullopt)) : Status::success());
    return true;
}

void FakePlatform::showMessage(const Message& message)
{
    m_messages.push_back(message);
    if (m_whileMessageOpen) {
        m_whileMessageOpen(message);
    }
}

void FakePlatform::writeTextFile(const QString& path, TextSource source, WriteEnded ended)
{
    QString text;
    source([&text](QStringView piece) {
        text += piece;
        return true;
    });
    source = nullptr;
    m_heldWrites.push_back({path, std::move(text), std::move(ended)});
    if (!m_holdWrites) {
        finishWrite();
    }
}

bool FakePlatform::finishWrite()
{
    if (m_heldWrites.empty()) {
        return false;
    }
    const HeldWrite write = std::move(m_heldWrites.front());
    m_heldWrites.pop_front();
    // Real files: the save tests need real failures (full, read-only, missing folders) anyway.
    write.ended(writeTextFileAtomically(write.path, write.text));
    return true;
}

} // namespace vardelo
