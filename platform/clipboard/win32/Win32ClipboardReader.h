#pragma once

#include <functional>
#include <memory>
#include <mutex>

#include <QObject>

#include "platform/clipboard/ClipboardReader.h"

namespace vardelo {

class ClipboardWorker;
struct ClipboardSnapshot;

/// Reads the Windows clipboard itself, as Qt's clipboard cannot be trusted to: Qt turns CR LF into LF and
/// drops the CR of 8-bit texts, and reads a clipboard that another program holds open as an empty one.
///
/// A worker thread reads Unicode text exactly as its owner gave it whenever Windows says the clipboard
/// changed, so an idle clipboard costs nothing and no other program can make the event loop wait. A read
/// gives what the worker found last; from the worker's notice of a change until it has read what changed
/// (another program may hold the clipboard open meanwhile), the read fails.
class Win32ClipboardReader final : public QObject, public ClipboardReader
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Win32ClipboardReader)

public:
    /// The reader, or nullptr when Windows will not tell it of clipboard changes.
    static std::unique_ptr<Win32ClipboardReader> create();
    ~Win32ClipboardReader() override;

    Result<ClipboardContent> read() override;
    /// A failed read stays failed until the worker has read the clipboard again, and that is told.
    bool tellsWhenReadable() const override { return true; }

private:
    /// Where the worker hands its reads over; it outlives the reader as long as a stuck worker does.
    struct Mailbox
    {
        std::mutex mutex;
        Win32ClipboardReader* reader = nullptr;
    };

    Win32ClipboardReader();
    void accept(const ClipboardSnapshot& snapshot);
    /// Runs fn with the reader on its own thread, unless the reader is gone.
    static void post(const std::shared_ptr<Mailbox>& mailbox, std::function<void(Win32ClipboardReader&)> fn);

    std::shared_ptr<Mailbox> m_mailbox;
    std::unique_ptr<ClipboardWorker> m_worker;
    ClipboardContent m_content;
    /// The worker has read the clipboard, and it has not changed since.
    bool m_current = false;
    /// Why the clipboard as the worker read it cannot be collected; empty when it can.
    QString m_failure;
};

} // namespace vardelo
