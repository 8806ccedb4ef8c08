#pragma once

#include <deque>
#include <memory>
#include <mutex>

#include <QObject>

#include "platform/clipboard/ClipboardReader.h"
#include "platform/clipboard/win32/ClipboardSnapshot.h"

namespace vardelo {

/// A clipboard reader whose reads are made by another thread, which hands each one over through the inbox: a
/// read gives what that thread found last, and from its notice of a change until it has read what changed
/// (another program may hold the clipboard open meanwhile), the read fails.
class SnapshotClipboardReader : public QObject, public ClipboardReader
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SnapshotClipboardReader)

public:
    /// Where the other thread hands over what it finds; it outlives the reader as long as that thread holds it.
    class Inbox final
    {
    public:
        /// The clipboard changed; a read of it comes.
        void noticed();
        /// A complete read.
        void publish(ClipboardSnapshot snapshot);

    private:
        friend class SnapshotClipboardReader;
        /// Wakes the reader to take what waits, unless it is gone; under the lock.
        void wake();

        std::mutex m_mutex;
        SnapshotClipboardReader* m_reader = nullptr;
        /// Reads that wait for the reader, oldest first; an empty optional is a notice.
        std::deque<std::optional<ClipboardSnapshot>> m_waiting;
    };

    SnapshotClipboardReader();
    ~SnapshotClipboardReader() override;

    std::shared_ptr<Inbox> inbox() const { return m_inbox; }

    Result<ClipboardContent> read() override;
    /// A failed read stays failed until the other thread has read the clipboard again, and that is told.
    bool tellsWhenReadable() const override { return true; }

private:
    void takeWaiting();
    void accept(ClipboardSnapshot snapshot);

    std::shared_ptr<Inbox> m_inbox;
    ClipboardContent m_content;
    /// The other thread has read the clipboard, and it has not changed since.
    bool m_current = false;
    /// Why the clipboard as it was read cannot be collected; empty when it can.
    QString m_failure;
};

} // namespace vardelo
