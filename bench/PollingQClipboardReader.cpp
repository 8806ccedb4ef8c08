#include "bench/PollingQClipboardReader.h"

#include <QClipboard>
#include <QGuiApplication>

namespace vardelo::bench {

Result<QString> PollingQClipboardReader::text()
{
    return QGuiApplication::clipboard()->text(QClipboard::Clipboard);
}

} // namespace vardelo::bench
