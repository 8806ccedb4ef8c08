#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include <QByteArray>

#include <wayland-client.h>

#include "platform/clipboard/wayland/WaylandPtr.h"

class QSocketNotifier;

namespace vardelo {

/// A connection of the program's own to the Wayland compositor, apart from Qt's, and the globals the
/// compositor offers on it. Its events are dispatched from the event loop as they arrive; after connect()
/// nothing on it waits for the compositor.
class WaylandConnection final
{
public:
    /// An object the compositor offers to every client, by the name the compositor gave it.
    struct Global
    {
        std::uint32_t name = 0;
        QByteArray interface;
        std::uint32_t version = 0;
    };

    /// Connects to the compositor that WAYLAND_DISPLAY names and learns its globals, at the cost of one round
    /// trip; nullptr when there is no compositor to connect to.
    static std::unique_ptr<WaylandConnection> connect();
    /// The globals of the compositor that WAYLAND_DISPLAY names, learnt over a connection that is closed
    /// again at once; nothing when there is no compositor to connect to. Needs no event loop.
    static std::optional<std::vector<Global>> listGlobals();
    ~WaylandConnection();
    WaylandConnection(const WaylandConnection&) = delete;
    WaylandConnection& operator=(const WaylandConnection&) = delete;

    /// The first global of this interface, if the compositor offers one.
    std::optional<Global> find(const QByteArray& interface) const;
    /// Binds a global, in the given version or the compositor's, whichever is older.
    template <typename T> T* bind(const Global& global, const wl_interface& interface, std::uint32_t version)
    {
        return static_cast<T*>(bindProxy(global, interface, version));
    }
    /// Sends the requests made since the last flush; requests made while events are dispatched go out on their
    /// own.
    void flush();
    /// Calls listener once, should the connection break; nothing on it gets events after that.
    void setBrokenListener(std::function<void()> listener) { m_brokenListener = std::move(listener); }

private:
    struct DestroyRegistry
    {
        void operator()(wl_registry* registry) const;
    };

    explicit WaylandConnection(WaylandPtr<wl_display, wl_display_disconnect> display);
    void* bindProxy(const Global& global, const wl_interface& interface, std::uint32_t version);
    void dispatch();
    void broke();

    WaylandPtr<wl_display, wl_display_disconnect> m_display;
    std::unique_ptr<wl_registry, DestroyRegistry> m_registry;
    std::unique_ptr<QSocketNotifier> m_notifier;
    std::vector<Global> m_globals;
    std::function<void()> m_brokenListener;
};

} // namespace vardelo
