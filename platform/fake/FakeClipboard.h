#pragma once

#include <functional>
#include <set>

#include "platform/ClipboardReader.h"

namespace vardelo {

/// A clipboard for tests: holds a text set by hand and fails chosen reads on demand.
class FakeClipboard final : public ClipboardReader
{
public:
    Result<QString> text() override;

    void setText(const QString& text) { m_text = text; }
    /// Makes the read that comes readsFromNow reads after the next one fail (0: the next read).
    void failRead(int readsFromNow) { m_failingReads.insert(m_reads + readsFromNow); }
    /// Makes every read fail until called again with false, like an owner that does not answer.
    void setUnreadable(bool unreadable) { m_unreadable = unreadable; }
    /// Runs before each read; lets a test change the clipboard between the reads of one tick.
    void setBeforeRead(std::function<void(int read)> hook) { m_beforeRead = std::move(hook); }

private:
    QString m_text;
    std::set<int> m_failingReads;
    bool m_unreadable = false;
    int m_reads = 0;
    std::function<void(int)> m_beforeRead;
};

} // namespace vardelo
