#include "platform/clipboard/win32/SnapshotClipboardReader.h"

#include <utility>

namespace vardelo {

void SnapshotClipboardReader::Inbox::noticed()
{
    const std::lock_guard lock(m_mutex);
    m_waiting.emplace_back();
    wake();
}

void SnapshotClipboardReader::Inbox::publish(ClipboardSnapshot snapshot)
{
    const std::lock_guard lock(m_mutex);
    m_waiting.emplace_back(std::move(snapshot));
    wake();
}

void SnapshotClipboardReader::Inbox::wake()
{
    // Only the wake-up crosses to the reader's thread; what waits is taken under the lock there.
    if (SnapshotClipboardReader* reader = m_reader) {
        QMetaObject::invokeMethod(reader, &SnapshotClipboardReader::takeWaiting, Qt::QueuedConnection);
    }
}

SnapshotClipboardReader::SnapshotClipboardReader()
    : m_inbox(std::make_shared<Inbox>())
{
    m_inbox->m_reader = this;
}

SnapshotClipboardReader::~SnapshotClipboardReader()
{
    const std::lock_guard lock(m_inbox->m_mutex);
    m_inbox->m_reader = nullptr;
    m_inbox->m_waiting.clear();
}

Result<ClipboardContent> SnapshotClipboardReader::read()
{
    if (m_current) {
        return m_failure.isEmpty() ? Result<ClipboardContent>(m_content) : Result<ClipboardContent>::failure(m_failure);
    }
    return Result<ClipboardContent>::failure(QStringLiteral("Буфер обмена ещё не прочитан: его держит открытым "
                                                            "другая программа или его текст ещё не отдан."));
}

void SnapshotClipboardReader::takeWaiting()
{
    std::deque<std::optional<ClipboardSnapshot>> waiting;
    {
        const std::lock_guard lock(m_inbox->m_mutex);
        waiting.swap(m_inbox->m_waiting);
    }
    for (std::optional<ClipboardSnapshot>& next : waiting) {
        if (next) {
            accept(std::move(*next));
        } else {
            m_current = false;
        }
    }
}

void SnapshotClipboardReader::accept(ClipboardSnapshot snapshot)
{
    m_current = true;
    if (snapshot.tooLarge) {
        m_failure = tooLargeToRead();
        notifyChange();
        return;
    }
    if (snapshot.unchanged) {
        notifyChange();
        return;
    }
    m_failure.clear();
    // Keep the old string when the text is the same: the capture then compares two shared strings at no cost.
    if (snapshot.secret || m_content.secret || snapshot.text != m_content.text) {
        m_content = {snapshot.secret ? QString() : std::move(snapshot.text), snapshot.secret};
    }
    notifyChange();
}

} // namespace vardelo
