#pragma once

#include <functional>

#include <QString>

#include "platform/Outcome.h"

namespace vardelo {

/// What the clipboard holds at one read.
struct ClipboardContent
{
    /// The text exactly as its owner gave it; empty when the clipboard holds no text, or a secret.
    QString text;
    /// The owner marked what it holds as secret, as password managers do with a password they copy. Its text
    /// is not even fetched, so it can neither be shown nor kept.
    bool secret = false;
};

/// Reads the system clipboard's plain text.
class ClipboardReader
{
public:
    virtual ~ClipboardReader() = default;

    /// What the clipboard holds, the text exactly as its owner gave it; an empty text only when the
    /// clipboard really holds none. Fails when the clipboard cannot be read now (owner busy, transfer
    /// failed), which callers must not take for "empty". Never waits on another program.
    virtual Result<ClipboardContent> read() = 0;

    /// Calls listener, on the event loop, whenever the clipboard may hold something new to read: it changed
    /// hands, or a read of it ended. Between two calls a read gives what the previous one gave, so whoever
    /// reads on a timer may rest until the next call. One listener at a time; an empty one removes it.
    void setChangeListener(std::function<void()> listener) { m_changeListener = std::move(listener); }

protected:
    void notifyChange() const
    {
        if (m_changeListener) {
            m_changeListener();
        }
    }

private:
    std::function<void()> m_changeListener;
};

} // namespace vardelo
