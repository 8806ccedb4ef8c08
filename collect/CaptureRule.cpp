#include "collect/CaptureRule.h"

#include "collect/TextHolder.h"
#include "platform/clipboard/ClipboardReader.h"

namespace vardelo {

CaptureRule::CaptureRule(ClipboardReader& clipboard, CollectionDocument& document, TextHolder& lastCaptured)
    : m_clipboard(clipboard)
    , m_document(document)
    , m_lastCaptured(lastCaptured)
{ }

QString CaptureRule::separator()
{
    return QStringLiteral("\r\n---------------\r\n");
}

Status CaptureRule::load()
{
    return m_lastCaptured.setText(QString());
}

CaptureRule::TickResult CaptureRule::tick()
{
    // Compare. Both strings are shared, not copied, and equal strings that share their data compare at once.
    const Result<QString> last = m_lastCaptured.text();
    if (!last.ok()) {
        return TickResult::MayHaveMore;
    }
    const Result<ClipboardContent> seen = m_clipboard.read();
    if (!seen.ok()) {
        return m_clipboard.tellsWhenReadable() ? TickResult::WaitForChange : TickResult::MayHaveMore;
    }
    // A secret is neither collected nor remembered: for the collection it is as if it had never been copied.
    if (seen.value().secret || seen.value().text == last.value()) {
        return TickResult::WaitForChange;
    }

    // Append. A failure here abandons only the append; a secret in its place is never appended.
    if (const Result<ClipboardContent> entry = m_clipboard.read(); entry.ok() && !entry.value().secret) {
        (void)m_document.append(separator(), entry.value().text);
    }

    // Remember.
    if (const Result<ClipboardContent> current = m_clipboard.read(); current.ok() && !current.value().secret) {
        (void)m_lastCaptured.setText(current.value().text);
    }
    return TickResult::MayHaveMore;
}

Status CaptureRule::clear()
{
    return m_document.setText(QString());
}

Result<QString> CaptureRule::readDocument() const
{
    return m_document.text();
}

} // namespace vardelo
