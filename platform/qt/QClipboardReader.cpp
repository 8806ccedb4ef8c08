#include "platform/qt/QClipboardReader.h"

#include <QClipboard>
#include <QGuiApplication>

namespace vardelo {

QClipboardReader::QClipboardReader(QObject* parent)
    : QObject(parent)
{
    connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, this, [this] { m_stale = true; });
}

Result<QString> QClipboardReader::text()
{
    if (m_stale) {
        // Keep the old string when the text is the same: the capture then compares two shared strings,
        // at no cost, instead of the whole text on every tick.
        if (QString fresh = QGuiApplication::clipboard()->text(QClipboard::Clipboard); fresh != m_text) {
            m_text = std::move(fresh);
        }
        m_stale = false;
    }
    return m_text;
}

} // namespace vardelo
