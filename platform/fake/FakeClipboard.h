#pragma once

#include <functional>
#include <set>

#include "platform/clipboard/ClipboardReader.h"

namespace vardelo {

/// A clipboard for tests: holds a text set by hand, fails chosen reads on demand and tells its listener of
/// every change, as a real desktop does.
class FakeClipboard final : public ClipboardReader
{
public:
    Result<ClipboardContent> read() override;
    bool tellsWhenReadable() const override { return m_tellsWhenReadable; }

    /// Another program copies this text.
    void setText(const QString& text);
    /// A password manager copies a text marked as secret.
    void setSecret();
    /// Makes the read that comes readsFromNow reads after the next one fail (0: the next read).
    void failRead(int readsFromNow) { m_failingReads.insert(m_reads + readsFromNow); }
    /// Makes every read fail until called again with false, like an owner that does not answer until it
    /// does; its answer is a change.
    void setUnreadable(bool unreadable);
    /// Makes this clipboard promise, as the X11 and Wayland readers do, that a failed read stays failed until
    /// it tells of a change; setUnreadable(false) keeps that promise, failRead() does not.
    void setTellsWhenReadable(bool tells) { m_tellsWhenReadable = tells; }
    /// Runs before each read; lets a test change the clipboard between the reads of one tick.
    void setBeforeRead(std::function<void(int read)> hook) { m_beforeRead = std::move(hook); }
    /// How many reads there have been.
    int reads() const { return m_reads; }

private:
    ClipboardContent m_content;
    std::set<int> m_failingReads;
    bool m_unreadable = false;
    bool m_tellsWhenReadable = false;
    int m_reads = 0;
    std::function<void(int)> m_beforeRead;
};

} // namespace vardelo
