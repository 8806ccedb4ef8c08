#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <vector>

#include <QObject>
#include <QString>
#include <QTimer>

#include "platform/clipboard/ClipboardReader.h"
#include "platform/clipboard/x11/PropertyPool.h"
#include "platform/clipboard/x11/SelectionTransfer.h"

class QSocketNotifier;

namespace vardelo {

struct ClipboardConnection;

/// Reads the X11 clipboard over a connection of its own, without ever waiting on the X server or on the
/// program that owns the clipboard.
///
/// XFixes tells it when the clipboard changes hands; it then reads the new owner's text in the background
/// of the event loop and keeps the content of the last completed read, so read() costs nothing while the
/// clipboard stays as it is. While a read is under way, or after one failed, read() fails.
///
/// An owner has one request open at a time, which it may answer however late. One that leaves it
/// unanswered for a second is asked again, then after 2, 4 and so on up to 30 seconds; after the seventh
/// request it is only waited on. One that breaks off its answer or refuses the text it offers is asked
/// again after the same waits. A text that cannot be decoded, or is larger than MaxClipboardBytes, is not
/// asked for again. A large text is decoded a slice per turn of the event loop. An owner that sets the
/// clipboard to nothing or offers no text reads as empty; an owner
/// that merely exits leaves its content, as a copied text outlives the program it was copied from on other
/// desktops. Should its X connection break, the reader stops, says so once on stderr and fails every read.
/// An owner that marks its content as a password manager's secret reads as a secret, and its text is
/// never fetched.
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
    /// Every read that ends, answered, refused or given up, is told.
    bool tellsWhenReadable() const override { return true; }

private:
    /// A GetProperty whose reply is awaited.
    struct PendingRead
    {
        unsigned int sequence = 0;
        std::uint32_t property = 0;
        /// For the transfer under way; otherwise it tells the pool about a property given up.
        bool forTransfer = false;
    };
    /// What start-up learns of the owner already there, without waiting.
    struct Startup
    {
        std::optional<unsigned int> ownerQuery;
        std::optional<std::uint32_t> owner;
        std::optional<std::uint32_t> time;
    };

    X11ClipboardReader(std::unique_ptr<ClipboardConnection> connection, QObject* parent);

    void beginSession(std::uint32_t owner, std::uint32_t time);
    void ask(SelectionTransfer::Step step);
    void perform(SelectionTransfer::Step step);
    void giveUpTooLarge();
    void finishSession();
    void giveUpAttempt();
    void askAgainLater(const QString& reason);
    void deadlinePassed();
    void inspect(std::uint32_t property);

    void pump();
    void connectionBroken();
    bool pollReplies();
    bool tidy();
    void handleEvent(const void* event);
    void handleSelectionNotify(const void* event);
    void handlePropertyNotify(const void* event);
    void handleTransferReply(void* reply);
    void ownerGone(std::uint32_t owner);

    std::unique_ptr<ClipboardConnection> m_connection;
    std::unique_ptr<QSocketNotifier> m_notifier;
    /// How long the current attempt waits for its owner.
    QTimer m_deadline;
    /// Asks again after an owner broke off its answer.
    QTimer m_retry;
    /// Goes on with work a pump left for the next turn of the event loop.
    QTimer m_resume;
    /// Decodes the next slice of a large text on the next turn of the event loop.
    QTimer m_decoding;
    PropertyPool m_pool;
    std::deque<PendingRead> m_reads;
    /// Owners' windows whose end this reader hears of, as the pool still waits on them.
    std::vector<std::uint32_t> m_watched;
    std::optional<unsigned int> m_pendingIntern;
    int m_propertiesNamed = 0;
    std::optional<Startup> m_startup;

    /// The owner being read, and the time it took the clipboard, which every request to it carries.
    std::uint32_t m_owner = 0;
    std::uint32_t m_ownerTime = 0;
    std::chrono::milliseconds m_patience {};
    std::optional<SelectionTransfer> m_transfer;
    /// The current attempt's property.
    std::optional<std::uint32_t> m_property;
    bool m_pumping = false;

    bool m_ready = false;
    QString m_text;
    bool m_secret = false;
    QString m_failure;
};

} // namespace vardelo
