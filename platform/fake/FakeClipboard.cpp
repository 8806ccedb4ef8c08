#include "platform/fake/FakeClipboard.h"

namespace vardelo {

Result<ClipboardContent> FakeClipboard::read()
{
    const int read = m_reads++;
    if (m_beforeRead) {
        m_beforeRead(read);
    }
    if (m_unreadable || m_failingReads.erase(read) > 0) {
        return Result<ClipboardContent>::failure(QStringLiteral("буфер обмена занят"));
    }
    return m_content;
}

void FakeClipboard::setText(const QString& text)
{
    m_content = {text, false};
    notifyChange();
}

void FakeClipboard::setSecret()
{
    m_content = {QString(), true};
    notifyChange();
}

void FakeClipboard::setUnreadable(bool unreadable)
{
    m_unreadable = unreadable;
    if (!unreadable) {
        notifyChange();
    }
}

} // namespace vardelo
