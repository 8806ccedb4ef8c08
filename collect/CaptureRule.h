#pragma once

#include <QString>

#include "platform/Outcome.h"

namespace vardelo {

class ClipboardReader;
class CollectionDocument;
class TextHolder;

/// Turns every newly copied text into an entry at the end of the collection document.
///
/// Each tick compares the clipboard with the last captured text; when they differ, it appends the
/// separator and the clipboard's text to the document and remembers that text. Every step reads the
/// clipboard afresh. A failure ends the tick, except a failed append, after which the text is still
/// remembered (so one text is never appended twice by a failing document).
///
/// A text its owner marks as secret is never appended nor remembered, so copying the same text again after
/// a secret adds no entry, as if the secret had never been on the clipboard.
class CaptureRule final
{
public:
    /// What a tick tells about the ticks to come.
    enum class TickResult
    {
        /// Nothing to collect until the clipboard's reader tells of a change: the clipboard holds what was
        /// collected, or cannot be read and its reader tells when it can.
        WaitForChange,
        /// The tick captured, or could not read; the next tick may have work.
        MayHaveMore,
    };

    CaptureRule(ClipboardReader& clipboard, CollectionDocument& document, TextHolder& lastCaptured);

    /// The line that precedes every entry: CR LF, fifteen hyphens, CR LF.
    [[nodiscard]] static QString separator();

    /// Empties the last captured text, so that text already on the clipboard is captured at once.
    Status load();
    /// Compares, appends, remembers.
    TickResult tick();
    /// Empties the document; the last captured text stays, so the clipboard is not collected again.
    Status clear();
    Result<QString> readDocument() const;

private:
    ClipboardReader& m_clipboard;
    CollectionDocument& m_document;
    TextHolder& m_lastCaptured;
};

} // namespace vardelo
