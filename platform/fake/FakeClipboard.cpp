#include "platform/fake/FakeClipboard.h"

namespace vardelo {

Result<QString> FakeClipboard::text()
{
    const int read = m_reads++;
    if (m_beforeRead) {
        m_beforeRead(read);
    }
    if (m_unreadable || m_failingReads.erase(read) > 0) {
        return Result<QString>::failure(QStringLiteral("буфер обмена занят"));
    }
    return m_text;
}

} // namespace vardelo
