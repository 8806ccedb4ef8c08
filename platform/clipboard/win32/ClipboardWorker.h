#pragma once

#include <memory>
#include <thread>

#include <windows.h>

#include "platform/clipboard/win32/SnapshotClipboardReader.h"

namespace vardelo {

/// Reads the clipboard on a thread of its own, whenever Windows says it changed, and hands each complete read
/// to the inbox, after telling it that one is coming. A notice whose sequence number is the one read last is
/// answered with an unchanged snapshot, without reading (see readSnapshot()). Opening the clipboard or fetching
/// an owner's text may wait (on an owner that renders late, or, under wine, on its clipboard bridge); none of
/// that waits on the program's event loop.
///
/// A clipboard that another program holds open is tried again after 10, 20, 40 ms and so on up to 640 ms,
/// until it opens or changes again; so is one whose owner does not hand over its text.
class ClipboardWorker final
{
public:
    /// Texts whose memory blocks are larger than maxTextBytes are not read.
    ClipboardWorker(std::size_t maxTextBytes, std::shared_ptr<SnapshotClipboardReader::Inbox> inbox);
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
        std::shared_ptr<SnapshotClipboardReader::Inbox> inbox;
        std::uint32_t lastSequence = 0;
        DWORD threadId = 0;
        bool listening = false;
        HANDLE started = nullptr;
        HANDLE stopped = nullptr;
        ~State();
    };

    static void run(const std::shared_ptr<State>& state);
    /// Reads the clipboard and hands it over; false when it could not be read now.
    static bool readOnce(State& state, HWND window);

    std::shared_ptr<State> m_state;
    std::thread m_thread;
};

} // namespace vardelo
