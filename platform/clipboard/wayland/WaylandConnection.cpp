#include "platform/clipboard/wayland/WaylandConnection.h"

#include <algorithm>

#include <QSocketNotifier>

namespace vardelo {

namespace {

const wl_registry_listener RegistryListener {
    .global =
        [](void* data, wl_registry*, std::uint32_t name, const char* interface, std::uint32_t version) {
            static_cast<std::vector<WaylandConnection::Global>*>(data)->push_back({name, interface, version});
        },
    .global_remove =
        [](void* data, wl_registry*, std::uint32_t name) {
            std::erase_if(*static_cast<std::vector<WaylandConnection::Global>*>(data),
                [name](const WaylandConnection::Global& global) { return global.name == name; });
        },
};

} // namespace

std::unique_ptr<WaylandConnection> WaylandConnection::connect()
{
    WaylandPtr<wl_display, wl_display_disconnect> display(wl_display_connect(nullptr));
    if (!display) {
        return nullptr;
    }
    std::unique_ptr<WaylandConnection> connection(new WaylandConnection(std::move(display)));
    // The globals come in answer to the registry request; this is the only time the connection waits.
    if (wl_display_roundtrip(connection->m_display.get()) < 0) {
        return nullptr;
    }
    return connection;
}

std::optional<std::vector<WaylandConnection::Global>> WaylandConnection::listGlobals()
{
    const WaylandPtr<wl_display, wl_display_disconnect> display(wl_display_connect(nullptr));
    if (!display) {
        return std::nullopt;
    }
    const std::unique_ptr<wl_registry, DestroyRegistry> registry(wl_display_get_registry(display.get()));
    std::vector<Global> globals;
    wl_registry_add_listener(registry.get(), &RegistryListener, &globals);
    if (wl_display_roundtrip(display.get()) < 0) {
        return std::nullopt;
    }
    return globals;
}

WaylandConnection::WaylandConnection(WaylandPtr<wl_display, wl_display_disconnect> display)
    : m_display(std::move(display))
    , m_registry(wl_display_get_registry(m_display.get()))
    , m_notifier(std::make_unique<QSocketNotifier>(wl_display_get_fd(m_display.get()), QSocketNotifier::Read))
{
    wl_registry_add_listener(m_registry.get(), &RegistryListener, &m_globals);
    QObject::connect(m_notifier.get(), &QSocketNotifier::activated, m_notifier.get(), [this] { dispatch(); });
}

WaylandConnection::~WaylandConnection() = default;

void WaylandConnection::DestroyRegistry::operator()(wl_registry* registry) const
{
    wl_registry_destroy(registry);
}

std::optional<WaylandConnection::Global> WaylandConnection::find(const QByteArray& interface) const
{
    const auto found = std::find_if(m_globals.begin(), m_globals.end(),
        [&interface](const Global& global) { return global.interface == interface; });
    return found != m_globals.end() ? std::optional<Global>(*found) : std::nullopt;
}

void* WaylandConnection::bindProxy(const Global& global, const wl_interface& interface, std::uint32_t version)
{
    return wl_registry_bind(m_registry.get(), global.name, &interface, std::min(global.version, version));
}

void WaylandConnection::flush()
{
    // A full socket keeps the rest for the next flush; a broken one shows when the notifier next fires.
    wl_display_flush(m_display.get());
}

void WaylandConnection::dispatch()
{
    wl_display* display = m_display.get();
    // Reading is only allowed with nothing left in the queue, so whatever an earlier read left goes first.
    while (wl_display_prepare_read(display) != 0) {
        if (wl_display_dispatch_pending(display) < 0) {
            broke();
            return;
        }
    }
    // The notifier saw data: this reads what is there and does not wait for more.
    if (wl_display_read_events(display) < 0 || wl_display_dispatch_pending(display) < 0) {
        broke();
        return;
    }
    // The handlers may have made requests.
    flush();
}

void WaylandConnection::broke()
{
    m_notifier->setEnabled(false);
    if (const std::function<void()> listener = std::exchange(m_brokenListener, {})) {
        listener();
    }
}

} // namespace vardelo
