#include "platform/clipboard/qt/QClipboardReader.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include "platform/clipboard/SecretMark.h"

namespace vardelo {

QClipboardReader::QClipboardReader(QObject* parent)
    : QObject(parent)
{
    connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, this, [this] {
        m_stale = true;
        notifyChange();
    });
}

Result<ClipboardContent> QClipboardReader::read()
{
    if (m_stale) {
        m_stale = false;
        const QMimeData* data = QGuiApplication::clipboard()->mimeData(QClipboard::Clipboard);
        if (data != nullptr && isMarkedSecret(*data)) {
            m_content = {QString(), true};
            return m_content;
        }
        // Keep the old string when the text is the same: the capture then compares two shared strings,
        // at no cost, instead of the whole text on every tick.
        QString fresh = data != nullptr ? data->text() : QString();
        if (m_content.secret || fresh != m_content.text) {
            m_content = {std::move(fresh), false};
        }
    }
    return m_content;
}

} // namespace vardelo
