// A Wayland clipboard source that never stops writing: it puts a text on the clipboard through the compositor's
// data-control protocol (ext_data_control_manager_v1 where offered, else zwlr_data_control_manager_v1), without
// a window, and answers every request with "x" for as long as the reader reads. Prints "owning" once it owns
// the clipboard; exits once another program takes it.
//
// endless_source

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include <wayland-client.h>

#include "ext-data-control-v1-client.h"
#include "wlr-data-control-unstable-v1-client.h"

namespace {

wl_seat* seat = nullptr;
ext_data_control_manager_v1* extManager = nullptr;
zwlr_data_control_manager_v1* wlrManager = nullptr;
bool cancelled = false;
std::vector<pid_t> writers;

const wl_registry_listener RegistryListener {
    .global =
        [](void*, wl_registry* registry, std::uint32_t name, const char* interface, std::uint32_t) {
            if (std::strcmp(interface, wl_seat_interface.name) == 0 && seat == nullptr) {
                seat = static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
            } else if (std::strcmp(interface, ext_data_control_manager_v1_interface.name) == 0) {
                extManager = static_cast<ext_data_control_manager_v1*>(
                    wl_registry_bind(registry, name, &ext_data_control_manager_v1_interface, 1));
            } else if (std::strcmp(interface, zwlr_data_control_manager_v1_interface.name) == 0) {
                wlrManager = static_cast<zwlr_data_control_manager_v1*>(
                    wl_registry_bind(registry, name, &zwlr_data_control_manager_v1_interface, 2));
            }
        },
    .global_remove = [](void*, wl_registry*, std::uint32_t) {},
};

/// Answers a request: each reader is written to by a process of its own, so that this one still hears of a newer
/// copy.
template <typename Source> void send(void*, Source*, const char*, std::int32_t fd)
{
    const pid_t writer = fork();
    if (writer == 0) {
        fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
        const std::vector<char> piece(64 * 1024, 'x');
        // Until the reader closes its end.
        while (write(fd, piece.data(), piece.size()) > 0) { }
        _exit(0);
    }
    if (writer > 0) {
        writers.push_back(writer);
    }
    close(fd);
}

template <typename Source> void cancel(void*, Source*)
{
    cancelled = true;
}

const ext_data_control_source_v1_listener ExtSourceListener {
    .send = &send<ext_data_control_source_v1>,
    .cancelled = &cancel<ext_data_control_source_v1>,
};
const zwlr_data_control_source_v1_listener WlrSourceListener {
    .send = &send<zwlr_data_control_source_v1>,
    .cancelled = &cancel<zwlr_data_control_source_v1>,
};

void takeClipboard(ext_data_control_manager_v1* manager)
{
    ext_data_control_source_v1* source = ext_data_control_manager_v1_create_data_source(manager);
    ext_data_control_source_v1_add_listener(source, &ExtSourceListener, nullptr);
    ext_data_control_source_v1_offer(source, "text/plain;charset=utf-8");
    ext_data_control_device_v1_set_selection(ext_data_control_manager_v1_get_data_device(manager, seat), source);
}

void takeClipboard(zwlr_data_control_manager_v1* manager)
{
    zwlr_data_control_source_v1* source = zwlr_data_control_manager_v1_create_data_source(manager);
    zwlr_data_control_source_v1_add_listener(source, &WlrSourceListener, nullptr);
    zwlr_data_control_source_v1_offer(source, "text/plain;charset=utf-8");
    zwlr_data_control_device_v1_set_selection(zwlr_data_control_manager_v1_get_data_device(manager, seat), source);
}

} // namespace

int main()
{
    signal(SIGPIPE, SIG_IGN);
    signal(SIGCHLD, SIG_IGN);
    wl_display* display = wl_display_connect(nullptr);
    if (display == nullptr) {
        std::fputs("no Wayland compositor\n", stderr);
        return 1;
    }
    wl_registry_add_listener(wl_display_get_registry(display), &RegistryListener, nullptr);
    wl_display_roundtrip(display);
    if (seat == nullptr || (extManager == nullptr && wlrManager == nullptr)) {
        std::fputs("the compositor offers no data control\n", stderr);
        return 1;
    }
    if (extManager != nullptr) {
        takeClipboard(extManager);
    } else {
        takeClipboard(wlrManager);
    }
    wl_display_roundtrip(display);
    std::puts("owning");
    std::fflush(stdout);
    while (!cancelled && wl_display_dispatch(display) >= 0) { }
    wl_display_disconnect(display);
    for (const pid_t writer : writers) {
        kill(writer, SIGTERM);
    }
    return 0;
}
