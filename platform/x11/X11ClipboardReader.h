#pragma once

#include <cstdint>
#include <memory>
#include <optional>

#include <QObject>
#include <QString>
#include <QTimer>

#include "platform/ClipboardReader.h"
#include "platform/x11/SelectionTransfer.h"

class QSocketNotifier;

namespace vardelo {

struct ClipboardConnection;

/// Reads the X11 clipboard over a connection of its own, without ever waiting on the X server or on the
/// program that owns the clipboard.
///
/// XFixes tells it when the clipboard changes hands; it then reads the new owner's text in the background
/// of the event loop and keeps the text of the last completed read, so read() costs nothing while the
/// clipboard stays as it is. While a read is under way, or after one failed, read() fails; a failed read
/// is tried again every half second until it succeeds or the clipboard changes hands. An owner that sets
/// the clipboard to nothing or offers no text reads as empty; an owner that merely exits leaves its text,
/// as a copied text outlives the program it was copied from on other desktops.
class X11ClipboardReader final : public QObject, public ClipboardReader
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(X11ClipboardReader)

public:
    /// Connects to the X server that DISPLAY names and starts reading the current owner's text; nullptr
    /// when there is no such server or it lacks XFixes.
    static std::unique_ptr<X11ClipboardReader> create(QObject* parent = nullptr);
    ~X11ClipboardReader() override;

    Result<ClipboardContent> read() override;

private:
    X11ClipboardReader(std::unique_ptr<ClipboardConnection> connection, QObject* parent);

    void startTransfer();
    void perform(SelectionTransfer::Step step);
    void fail(const QString& reason);
    void pump();
    void handleEvent(const void* event);
    void handlePropertyReply(void* reply);
    void abandonPendingRead();
    std::uint32_t property() const;

    enum class State
    {
        Reading,
        Failed,
        Ready,
    };

    std::unique_ptr<ClipboardConnection> m_connection;
    std::unique_ptr<QSocketNotifier> m_notifier;
    /// A read that makes no progress for this long has failed.
    QTimer m_deadline;
    QTimer m_retry;
    std::optional<SelectionTransfer> m_transfer;
    /// The sequence number of the GetProperty whose answer is awaited.
    std::optional<unsigned int> m_pendingRead;
    /// Which of the connection's properties the current attempt asks the owner to fill.
    std::size_t m_propertyIndex = 0;
    bool m_pumping = false;
    State m_state = State::Reading;
    QString m_text;
    QString m_failure;
};

} // namespace vardelo
