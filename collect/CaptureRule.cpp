#include "collect/CaptureRule.h"

#include "collect/TextHolder.h"
#include "platform/ClipboardReader.h"

namespace vardelo {

CaptureRule::CaptureRule(ClipboardReader& clipboard, CollectionDocument& document, TextHolder& lastCaptured)
    : m_clipboard(clipboard)
    , m_document(document)
    , m_lastCaptured(lastCaptured)
{
}

QString CaptureRule::separator()
{
    return QStringLiteral("\r\n---------------\r\n");
}

Status CaptureRule::load()
{
    return m_lastCaptured.setText(QString());
}

void CaptureRule::tick()
{
    // Compare. Both strings are shared, not copied, and equal strings that share their data compare at once.
    const Result<QString> last = m_lastCaptured.text();
    if (!last.ok()) {
        return;
    }
    const Result<QString> seen = m_clipboard.text();
    if (!seen.ok() || seen.value() == last.value()) {
        return;
    }

    // Append. A failure here abandons only the append.
    if (const Result<QString> entry = m_clipboard.text(); entry.ok()) {
        (void)m_document.append(separator() + entry.value());
    }

    // Remember.
    if (const Result<QString> current = m_clipboard.text(); current.ok()) {
        (void)m_lastCaptured.setText(current.value());
    }
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
