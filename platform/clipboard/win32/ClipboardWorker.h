#pragma once

#include <functional>
#include <memory>
#include <string>
#include <thread>

#include <windows.h>

namespace vardelo {

class OpenedClipboard;

/// What one read of the clipboard found.
struct ClipboardSnapshot
{
    /// Nothing changed since the read before: the sequence number is the same, so nothing was read again.
    bool unchanged = false;
    /// Its owner keeps it from clipboard tools; its text was not read.
    bool secret = false;
    /// Its text is larger than the worker reads; it was not read.
    bool tooLarge = false;
    /// Its text exactly as its owner gave it; empty when it holds none.
    std::u16string text;
};

/// Reads the clipboard on a thread of its own, whenever Windows says it changed, and hands each complete
/// read to `publish`, after telling `noticed` that one is coming. A notice whose sequence number is the one
/// read last is answered with an unchanged snapshot, without reading. Opening the clipboard or fetching an owner's text
/// may wait (on an owner that renders late, or, under wine, on its clipboard bridge); none of that waits on the
/// program's event loop.
///
/// A clipboard that another program holds open is tried again after 10, 20, 40 ms and so on up to 640 ms,
/// until it opens or changes again; so is one whose owner does not hand over its text.
class ClipboardWorker final
{
public:
    /// Tells whether the open clipboard's content is marked secret; runs on the worker's thread.
    using SecretRule = std::function<bool(const OpenedClipboard&)>;
    /// Takes a complete read; runs on the worker's thread.
    using Publish = std::function<void(ClipboardSnapshot)>;
    /// Hears of a change before it is read; runs on the worker's thread.
    using Noticed = std::function<void()>;

    /// Texts whose memory blocks are larger than maxTextBytes are not read.
    ClipboardWorker(std::size_t maxTextBytes, SecretRule isSecret, Noticed noticed, Publish publish);
    /// Stops the thread. One that is stuck in a read past a second is left to end with the process.
    ~ClipboardWorker();
    ClipboardWorker(const ClipboardWorker&) = delete;
    ClipboardWorker& operator=(const ClipboardWorker&) = delete;

    /// Whether Windows tells the worker of clipboard changes.
    bool listening() const { return m_state->listening; }

private:
    /// What the thread uses; shared with it, as a thread stuck past the end of this object outlives it.
    struct State
    {
        std::size_t maxTextBytes = 0;
        SecretRule isSecret;
        Noticed noticed;
        Publish publish;
        DWORD lastSequence = 0;
        DWORD threadId = 0;
        bool listening = false;
        HANDLE started = nullptr;
        HANDLE stopped = nullptr;
        ~State();
    };

    static void run(const std::shared_ptr<State>& state);
    /// Reads the clipboard and publishes it; false when it could not be read now.
    static bool readOnce(State& state, HWND window);

    std::shared_ptr<State> m_state;
    std::thread m_thread;
};

} // namespace vardelo
