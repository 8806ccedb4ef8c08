#include "platform/clipboard/win32/ClipboardWorker.h"

#include <algorithm>
#include <chrono>

#include "platform/clipboard/win32/ClipboardWindow.h"
#include "platform/clipboard/win32/OpenedClipboard.h"

namespace vardelo {

using namespace std::chrono_literals;

namespace {

constexpr UINT_PTR RetryTimer = 1;
constexpr std::chrono::milliseconds FirstRetry = 10ms;
constexpr std::chrono::milliseconds LongestRetry = 640ms;
constexpr DWORD StopWaitMs = 1000;

} // namespace

ClipboardWorker::State::~State()
{
    for (HANDLE event : {started, stopped}) {
        if (event != nullptr) {
            ::CloseHandle(event);
        }
    }
}

ClipboardWorker::ClipboardWorker(std::size_t maxTextBytes, std::shared_ptr<SnapshotClipboardReader::Inbox> inbox)
    : m_state(std::make_shared<State>())
{
    m_state->maxTextBytes = maxTextBytes;
    m_state->inbox = std::move(inbox);
    m_state->started = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    m_state->stopped = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (m_state->started == nullptr || m_state->stopped == nullptr) {
        return;
    }
    m_thread = std::thread([state = m_state] { run(state); });
    ::WaitForSingleObject(m_state->started, INFINITE);
}

ClipboardWorker::~ClipboardWorker()
{
    if (!m_thread.joinable()) {
        return;
    }
    ::PostThreadMessageW(m_state->threadId, WM_QUIT, 0, 0);
    if (::WaitForSingleObject(m_state->stopped, StopWaitMs) == WAIT_OBJECT_0) {
        m_thread.join();
    } else {
        // Stuck on another program: it keeps its own state alive and ends with the process.
        m_thread.detach();
    }
}

void ClipboardWorker::run(const std::shared_ptr<State>& state)
{
    state->threadId = ::GetCurrentThreadId();
    bool pending = true;
    auto backoff = FirstRetry;
    ClipboardWindow window([&] {
        state->inbox->noticed();
        pending = true;
        backoff = FirstRetry;
    });
    state->listening = window.handle() != nullptr && window.listening();
    // The window made this thread's message queue, so the stop message can no longer be lost.
    ::SetEvent(state->started);

    if (state->listening) {
        for (;;) {
            if (pending) {
                pending = false;
                ::KillTimer(window.handle(), RetryTimer);
                if (!readOnce(*state, window.handle())) {
                    ::SetTimer(window.handle(), RetryTimer, UINT(backoff.count()), nullptr);
                    backoff = std::min(backoff * 2, LongestRetry);
                } else {
                    backoff = FirstRetry;
                }
            }
            MSG message;
            if (::GetMessageW(&message, nullptr, 0, 0) <= 0) {
                break;
            }
            if (message.message == WM_TIMER && message.wParam == RetryTimer) {
                ::KillTimer(window.handle(), RetryTimer);
                pending = true;
                continue;
            }
            ::DispatchMessageW(&message);
        }
    }
    ::SetEvent(state->stopped);
}

bool ClipboardWorker::readOnce(State& state, HWND window)
{
    OpenedClipboard clipboard(window);
    std::optional<ClipboardSnapshot> snapshot = readSnapshot(clipboard, state.lastSequence, state.maxTextBytes);
    if (!snapshot) {
        return false;
    }
    state.inbox->publish(std::move(*snapshot));
    return true;
}

} // namespace vardelo
