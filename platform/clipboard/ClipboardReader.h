#pragma once

#include <functional>

#include <QString>

#include "platform/Outcome.h"

namespace vardelo {

/// The most bytes one read of the clipboard takes in, as its owner sends them. A larger text is a failed read,
/// given up and its memory freed, so that an owner that never stops sending cannot use up the memory.
inline constexpr qsizetype MaxClipboardBytes = qsizetype(256) * 1024 * 1024;

/// Why a read of more than MaxClipboardBytes failed.
inline QString tooLargeToRead()
{
    return QStringLiteral("Текст в буфере обмена больше %1 МБ; программа его не собирает.")
        .arg(MaxClipboardBytes / (1024 * 1024));
}

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

    /// Whether a failed read stays failed until the listener is next called, as while the reader waits for an
    /// owner's answer, so that whoever reads on a timer may rest after a failure too. False for a reader whose
    /// failures pass without notice.
    virtual bool tellsWhenReadable() const { return false; }

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
