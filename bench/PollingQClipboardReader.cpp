#include "bench/PollingQClipboardReader.h"

#include <QClipboard>
#include <QGuiApplication>

namespace vardelo::bench {

Result<ClipboardContent> PollingQClipboardReader::read()
{
    return ClipboardContent {QGuiApplication::clipboard()->text(QClipboard::Clipboard), false};
}

} // namespace vardelo::bench
