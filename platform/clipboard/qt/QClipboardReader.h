#pragma once

#include <QObject>
#include <QString>

#include "platform/clipboard/ClipboardReader.h"

namespace vardelo {

/// Reads the clipboard through QClipboard, again only after Qt reports that its content changed, so an
/// idle clipboard costs nothing. QClipboard cannot tell an unreadable clipboard from an empty one, and on
/// X11 it waits for the owner's answer; the X11 reader does better where X11 is available. On Wayland it
/// sees copies only while the program has the focus.
class QClipboardReader final : public QObject, public ClipboardReader
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(QClipboardReader)

public:
    explicit QClipboardReader(QObject* parent = nullptr);

    Result<ClipboardContent> read() override;

private:
    ClipboardContent m_content;
    bool m_stale = true;
};

} // namespace vardelo
