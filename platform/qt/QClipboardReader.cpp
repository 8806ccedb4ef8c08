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
        m_text = QGuiApplication::clipboard()->text(QClipboard::Clipboard);
        m_stale = false;
    }
    return m_text;
}

} // namespace vardelo
