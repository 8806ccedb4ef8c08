#pragma once

#include <memory>

#include "platform/clipboard/win32/SnapshotClipboardReader.h"

namespace vardelo {

class ClipboardWorker;

/// Reads the Windows clipboard itself, as Qt's clipboard cannot be trusted to: Qt turns CR LF into LF and
/// drops the CR of 8-bit texts, and reads a clipboard that another program holds open as an empty one.
///
/// A worker thread reads Unicode text exactly as its owner gave it whenever Windows says the clipboard
/// changed, so an idle clipboard costs nothing and no other program can make the event loop wait; what it
/// reads reaches the event loop as a SnapshotClipboardReader's reads do.
class Win32ClipboardReader final : public SnapshotClipboardReader
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Win32ClipboardReader)

public:
    /// The reader, or nullptr when Windows will not tell it of clipboard changes.
    static std::unique_ptr<Win32ClipboardReader> create();
    ~Win32ClipboardReader() override;

private:
    Win32ClipboardReader();

    std::unique_ptr<ClipboardWorker> m_worker;
};

} // namespace vardelo
