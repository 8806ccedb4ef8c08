#pragma once

#include <chrono>
#include <memory>

#include <QObject>
#include <QTimer>

#include "platform/ClipboardReader.h"

namespace vardelo {

class ClipboardWindow;
class OpenedClipboard;

/// Reads the Windows clipboard itself, as Qt's clipboard cannot be trusted to: Qt turns CR LF into LF and
/// drops the CR of 8-bit texts, and reads a clipboard that another program holds open as an empty one.
///
/// It reads Unicode text exactly as its owner gave it, again only when the clipboard's sequence number has
/// moved, and learns of changes from Windows, so an idle clipboard costs nothing. A clipboard held open by
/// another program is a failed read, tried again after 10, 20, 40 ms and so on, without ever waiting on the
/// event loop, until it opens or changes again.
class Win32ClipboardReader final : public QObject, public ClipboardReader
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Win32ClipboardReader)

public:
    /// The reader, or nullptr when Windows will not tell it of clipboard changes.
    static std::unique_ptr<Win32ClipboardReader> create();
    ~Win32ClipboardReader() override;

    Result<ClipboardContent> read() override;

private:
    Win32ClipboardReader();
    /// Reads what the open clipboard holds into m_content; fails when its owner does not hand over the text.
    Status readOpened(const OpenedClipboard& clipboard);
    void clipboardChanged();
    Result<ClipboardContent> failLater(const QString& reason);

    std::unique_ptr<ClipboardWindow> m_window;
    ClipboardContent m_content;
    /// The sequence number m_content was read at; 0 while nothing is known.
    unsigned long m_sequence = 0;
    QTimer m_retry;
    std::chrono::milliseconds m_backoff;
};

} // namespace vardelo
