#pragma once

#include <functional>
#include <memory>

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTimer>

#include "platform/clipboard/ChunkedBytes.h"
#include "platform/clipboard/ClipboardReader.h"
#include "platform/clipboard/SlicedTextDecoder.h"

namespace vardelo {

class DataControlDevice;
class DataOffer;
class PipeReader;
class WaylandConnection;

/// Reads the Wayland clipboard over a connection of its own through the compositor's data-control protocol,
/// which tells of every copy whichever program has the focus, and never waits on the compositor or on the
/// program that copied.
///
/// On each new selection it reads the text from its source through a pipe, in the background of the event
/// loop, and keeps the text of the last completed read, so read() costs nothing while the clipboard stays as
/// it is. A read goes on for as long as its offer stays on the clipboard, however slowly the source writes; a
/// newer selection cancels it and frees what it held. The bytes are decoded once the source has closed the
/// pipe, a slice per turn of the event loop. While a read is under way, or after one failed, read() fails; a failed
/// read is tried again every half second while its offer stays on the clipboard, except one of more than
/// MaxClipboardBytes, whose pipe is closed at once. A source that goes away leaves its text, as a copied text outlives
/// the program it was copied from; an offer without text reads as empty. The text of an offer that password managers
/// mark as secret is never asked for.
class WaylandClipboardReader final : public QObject, public ClipboardReader
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(WaylandClipboardReader)

public:
    /// Connects to the compositor that WAYLAND_DISPLAY names and starts reading what the clipboard holds;
    /// nullptr when there is none or it offers no data-control protocol.
    static std::unique_ptr<WaylandClipboardReader> create(QObject* parent = nullptr);
    ~WaylandClipboardReader() override;

    Result<ClipboardContent> read() override;
    /// Every read that ends, answered, refused or given up, is told.
    bool tellsWhenReadable() const override { return true; }

private:
    WaylandClipboardReader(std::unique_ptr<WaylandConnection> connection, QObject* parent);

    void selectionChanged(std::unique_ptr<DataOffer> offer);
    void startReading();
    void readText();
    void receive(const QByteArray& mimeType, std::function<bool(QByteArrayView)> received,
        void (WaylandClipboardReader::*then)());
    void hintRead();
    void textRead();
    void decodeSome();
    void tooLarge();
    void finish(ClipboardContent content);
    void fail(const QString& reason);
    void stop(const QString& reason);

    enum class State
    {
        Reading,
        Failed,
        Ready,
    };

    std::unique_ptr<WaylandConnection> m_connection;
    std::unique_ptr<DataControlDevice> m_device;
    /// What the clipboard holds now; null when it holds nothing.
    std::unique_ptr<DataOffer> m_offer;
    std::unique_ptr<PipeReader> m_pipe;
    /// What the current read has brought so far: a secret's mark, or the text.
    QByteArray m_hint;
    /// The text's bytes as they come, until they are decoded.
    ChunkedBytes m_bytes;
    SlicedTextDecoder m_decoder;
    QTimer m_decoding;
    QTimer m_retry;
    State m_state = State::Reading;
    ClipboardContent m_content;
    QString m_failure;
};

} // namespace vardelo
