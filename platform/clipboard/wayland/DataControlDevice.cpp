#include "platform/clipboard/wayland/DataControlDevice.h"

#include <algorithm>
#include <vector>

#include "platform/clipboard/wayland/WaylandConnection.h"
#include "platform/clipboard/wayland/WaylandPtr.h"

#include "ext-data-control-v1-client.h"
#include "wlr-data-control-unstable-v1-client.h"

namespace vardelo {

namespace {

// The two protocols differ in their names only, so one list of names describes either.
#define VARDELO_DATA_CONTROL_PROTOCOL(Protocol, prefix, version)                                                       \
    struct Protocol                                                                                                    \
    {                                                                                                                  \
        using Manager = prefix##_manager_v1;                                                                           \
        using Device = prefix##_device_v1;                                                                             \
        using Offer = prefix##_offer_v1;                                                                               \
        using DeviceListener = prefix##_device_v1_listener;                                                            \
        using OfferListener = prefix##_offer_v1_listener;                                                              \
        static constexpr std::uint32_t Version = version;                                                              \
        static constexpr const wl_interface& ManagerInterface = prefix##_manager_v1_interface;                         \
        static constexpr auto getDataDevice = prefix##_manager_v1_get_data_device;                                     \
        static constexpr auto destroyManager = prefix##_manager_v1_destroy;                                            \
        static constexpr auto addDeviceListener = prefix##_device_v1_add_listener;                                     \
        static constexpr auto destroyDevice = prefix##_device_v1_destroy;                                              \
        static constexpr auto addOfferListener = prefix##_offer_v1_add_listener;                                       \
        static constexpr auto receive = prefix##_offer_v1_receive;                                                     \
        static constexpr auto destroyOffer = prefix##_offer_v1_destroy;                                                \
    }

VARDELO_DATA_CONTROL_PROTOCOL(ExtProtocol, ext_data_control, 1);
// Version 2 tells of the primary selection too, which the device passes over.
VARDELO_DATA_CONTROL_PROTOCOL(WlrProtocol, zwlr_data_control, 2);

#undef VARDELO_DATA_CONTROL_PROTOCOL

template <typename P> class Offer final : public DataOffer
{
public:
    explicit Offer(typename P::Offer* offer)
        : m_offer(offer)
    {
        P::addOfferListener(offer, &Listener, this);
    }

    void receive(const QByteArray& mimeType, int fd) override { P::receive(m_offer.get(), mimeType.constData(), fd); }
    bool is(const typename P::Offer* offer) const { return m_offer.get() == offer; }

private:
    static inline const typename P::OfferListener Listener {
        .offer = [](void* data, typename P::Offer*,
                     const char* mimeType) { static_cast<Offer*>(data)->m_mimeTypes.append(mimeType); },
    };

    WaylandPtr<typename P::Offer, P::destroyOffer> m_offer;
};

template <typename P> class Device final : public DataControlDevice
{
public:
    Device(WaylandPtr<wl_seat, wl_seat_destroy> seat, typename P::Manager* manager, Listener listener)
        : m_seat(std::move(seat))
        , m_manager(manager)
        , m_device(P::getDataDevice(manager, m_seat.get()))
        , m_listener(std::move(listener))
    {
        P::addDeviceListener(m_device.get(), &EventListener, this);
    }

private:
    /// Takes an announced offer out of the list, as the selection event that names it makes it current.
    std::unique_ptr<Offer<P>> take(const typename P::Offer* offer)
    {
        const auto found = std::find_if(
            m_announced.begin(), m_announced.end(), [offer](const auto& announced) { return announced->is(offer); });
        if (found == m_announced.end()) {
            return nullptr;
        }
        std::unique_ptr<Offer<P>> taken = std::move(*found);
        m_announced.erase(found);
        return taken;
    }

    static inline const typename P::DeviceListener EventListener {
        .data_offer =
            [](void* data, typename P::Device*, typename P::Offer* offer) {
                static_cast<Device*>(data)->m_announced.push_back(std::make_unique<Offer<P>>(offer));
            },
        .selection =
            [](void* data, typename P::Device*, typename P::Offer* offer) {
                auto* device = static_cast<Device*>(data);
                device->m_listener.selection(device->take(offer));
            },
        .finished = [](void* data, typename P::Device*) { static_cast<Device*>(data)->m_listener.finished(); },
        // Only the clipboard is collected: a primary selection's offer is destroyed as soon as it is named.
        .primary_selection
        = [](void* data, typename P::Device*, typename P::Offer* offer) { static_cast<Device*>(data)->take(offer); },
    };

    WaylandPtr<wl_seat, wl_seat_destroy> m_seat;
    WaylandPtr<typename P::Manager, P::destroyManager> m_manager;
    WaylandPtr<typename P::Device, P::destroyDevice> m_device;
    /// Offers announced and not yet named by a selection event.
    std::vector<std::unique_ptr<Offer<P>>> m_announced;
    Listener m_listener;
};

template <typename P>
std::unique_ptr<DataControlDevice> createDevice(WaylandConnection& connection, const WaylandConnection::Global& seat,
    const WaylandConnection::Global& manager, DataControlDevice::Listener listener)
{
    WaylandPtr<wl_seat, wl_seat_destroy> seatProxy(connection.bind<wl_seat>(seat, wl_seat_interface, 1));
    auto* managerProxy = connection.bind<typename P::Manager>(manager, P::ManagerInterface, P::Version);
    auto device = std::make_unique<Device<P>>(std::move(seatProxy), managerProxy, std::move(listener));
    connection.flush();
    return device;
}

/// Which protocol a compositor with these globals is spoken to in.
enum class Offered
{
    None,
    Ext,
    Wlr,
};

template <typename Find> Offered offered(const Find& find)
{
    if (!find("wl_seat")) {
        return Offered::None;
    }
    if (find(ExtProtocol::ManagerInterface.name)) {
        return Offered::Ext;
    }
    // Version 1 of the wlroots protocol is older than any compositor still in use; the program is not tried on it.
    const std::optional<WaylandConnection::Global> wlr = find(WlrProtocol::ManagerInterface.name);
    return wlr && wlr->version >= WlrProtocol::Version ? Offered::Wlr : Offered::None;
}

} // namespace

std::unique_ptr<DataControlDevice> DataControlDevice::create(WaylandConnection& connection, Listener listener)
{
    const auto find = [&connection](const QByteArray& interface) { return connection.find(interface); };
    switch (offered(find)) {
    case Offered::None:
        break;
    case Offered::Ext:
        return createDevice<ExtProtocol>(
            connection, *find("wl_seat"), *find(ExtProtocol::ManagerInterface.name), std::move(listener));
    case Offered::Wlr:
        return createDevice<WlrProtocol>(
            connection, *find("wl_seat"), *find(WlrProtocol::ManagerInterface.name), std::move(listener));
    }
    return nullptr;
}

bool DataControlDevice::offeredByCompositor()
{
    const std::optional<std::vector<WaylandConnection::Global>> globals = WaylandConnection::listGlobals();
    if (!globals) {
        return false;
    }
    const auto find = [&globals](const QByteArray& interface) -> std::optional<WaylandConnection::Global> {
        const auto found = std::find_if(globals->begin(), globals->end(),
            [&interface](const WaylandConnection::Global& global) { return global.interface == interface; });
        return found != globals->end() ? std::optional(*found) : std::nullopt;
    };
    return offered(find) != Offered::None;
}

} // namespace vardelo
