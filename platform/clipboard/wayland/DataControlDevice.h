#pragma once

#include <functional>
#include <memory>

#include <QByteArray>
#include <QByteArrayList>

namespace vardelo {

class WaylandConnection;

/// Data another program has put on the clipboard, in the MIME types it listed. Destroying it tells the
/// compositor that this program is done with it.
class DataOffer
{
public:
    virtual ~DataOffer() = default;

    /// The MIME types the source offers the data in, as it spelled them.
    const QByteArrayList& mimeTypes() const { return m_mimeTypes; }
    /// Asks the source to write the data in this MIME type to fd and close it. The request holds a copy of fd,
    /// so the caller closes its own at once; the request leaves on the connection's next flush.
    virtual void receive(const QByteArray& mimeType, int fd) = 0;

protected:
    DataOffer() = default;

    QByteArrayList m_mimeTypes;
};

/// The clipboard of the compositor's first seat as the data-control protocol shows it: every new selection,
/// whichever program has the focus. Speaks the ext protocol where the compositor offers it, else the wlroots
/// one, which are the same message for message.
class DataControlDevice
{
public:
    struct Listener
    {
        /// The clipboard now holds this offer; null when it holds nothing, as when its source went away. Also
        /// called once for what the clipboard holds when the device is made.
        std::function<void(std::unique_ptr<DataOffer>)> selection;
        /// The device no longer works, as its seat went away.
        std::function<void()> finished;
    };

    /// A device for the connection's first seat, with its first events still to come; nullptr when the
    /// compositor offers no seat or neither protocol.
    static std::unique_ptr<DataControlDevice> create(WaylandConnection& connection, Listener listener);
    /// Asks the compositor that WAYLAND_DISPLAY names, over a short connection of its own, whether create()
    /// would make a device there. Needs no event loop, so it can be asked before the application starts.
    [[nodiscard]] static bool offeredByCompositor();
    virtual ~DataControlDevice() = default;

protected:
    DataControlDevice() = default;
};

} // namespace vardelo
