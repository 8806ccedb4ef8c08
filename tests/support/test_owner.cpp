// A program that owns the X clipboard the way tests and the benchmark need: it offers chosen targets
// only, sends large texts in chunks (INCR) of a chosen size, can stop itself at chosen moments, answers or
// refuses every request but TARGETS only after a delay, marks its text as a password manager's secret,
// copies a numbered series at a fixed pace, and reports every request it gets. Its chunked answers can go on
// for ever (--endless), or the first N of them stop after their first chunk until it gets SIGUSR1 and the
// one after them is broken off, its second chunk coming as STRING (--stall-chunked N).
//
// test_owner [--target NAME]... [--chunk BYTES] [--stop-when-owning] [--stop-after-chunks N]
//            [--answer-after-ms MS | --refuse-after-ms MS] [--secret] [--series N --interval-ms MS]
//            [--endless | --stall-chunked N] [--log-requests] [--clear]   (the text comes from stdin)
// Prints "owning" once it owns the clipboard ("owning I" for each copy of a series), and "request NAME from
// WINDOW" for each request with --log-requests. Exits when another program takes the clipboard, once it has
// answered what it delays. With --clear it sets the clipboard to nobody and exits.

#include <poll.h>
#include <signal.h>
#include <time.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <iterator>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <xcb/xcb.h>

namespace {

struct Options
{
    std::vector<std::string> targets;
    std::size_t chunk = 65536;
    bool stopWhenOwning = false;
    int stopAfterChunks = -1;
    int series = 0;
    int intervalMs = 50;
    bool logRequests = false;
    bool clear = false;
    int delayMs = -1;
    bool refuseAfterDelay = false;
    bool secret = false;
    bool endless = false;
    int stallChunked = -1;
};

/// A request answered only once its time has come.
struct Delayed
{
    std::int64_t dueNs;
    xcb_selection_request_event_t request;
};

/// One requestor being sent a large text in chunks.
struct Incremental
{
    xcb_window_t requestor;
    xcb_atom_t property;
    xcb_atom_t type;
    std::size_t offset;
    /// Which chunked answer this is, from 0.
    int number;
    int chunks = 0;
    /// It waits for SIGUSR1 before its next chunk, which the requestor has already asked for.
    bool stalled = false;
};

volatile sig_atomic_t resumeStalled = 0;

xcb_connection_t* c = nullptr;

xcb_atom_t atom(const std::string& name)
{
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
        c, xcb_intern_atom(c, 0, static_cast<std::uint16_t>(name.size()), name.c_str()), nullptr);
    const xcb_atom_t result = reply != nullptr ? reply->atom : XCB_NONE;
    std::free(reply);
    return result;
}

std::int64_t monotonicNs()
{
    timespec now {};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return std::int64_t {now.tv_sec} * 1000000000 + now.tv_nsec;
}

std::string atomName(xcb_atom_t atom)
{
    static std::map<xcb_atom_t, std::string> names;
    if (names.count(atom) == 0) {
        xcb_get_atom_name_reply_t* reply = xcb_get_atom_name_reply(c, xcb_get_atom_name(c, atom), nullptr);
        names[atom] = reply != nullptr
            ? std::string(xcb_get_atom_name_name(reply), xcb_get_atom_name_name_length(reply))
            : std::to_string(atom);
        std::free(reply);
    }
    return names[atom];
}

void takeClipboard(xcb_window_t window, xcb_atom_t clipboard, const std::string& said)
{
    xcb_set_selection_owner(c, window, clipboard, XCB_CURRENT_TIME);
    // The answer proves the server has made us the owner before anyone is told so.
    std::free(xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, clipboard), nullptr));
    std::cout << said << std::endl;
}

} // namespace

int main(int argc, char* argv[])
{
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const auto next = [&] { return i + 1 < argc ? std::string(argv[++i]) : std::string(); };
        if (arg == "--target") {
            options.targets.push_back(next());
        } else if (arg == "--chunk") {
            options.chunk = std::stoul(next());
        } else if (arg == "--stop-when-owning") {
            options.stopWhenOwning = true;
        } else if (arg == "--stop-after-chunks") {
            options.stopAfterChunks = std::stoi(next());
        } else if (arg == "--series") {
            options.series = std::stoi(next());
        } else if (arg == "--interval-ms") {
            options.intervalMs = std::stoi(next());
        } else if (arg == "--clear") {
            options.clear = true;
        } else if (arg == "--log-requests") {
            options.logRequests = true;
        } else if (arg == "--answer-after-ms" || arg == "--refuse-after-ms") {
            options.refuseAfterDelay = arg == "--refuse-after-ms";
            options.delayMs = std::stoi(next());
        } else if (arg == "--secret") {
            options.secret = true;
        } else if (arg == "--endless") {
            options.endless = true;
        } else if (arg == "--stall-chunked") {
            options.stallChunked = std::stoi(next());
        } else {
            std::cerr << "unknown option " << arg << '\n';
            return 2;
        }
    }
    if (options.targets.empty()) {
        options.targets.emplace_back("UTF8_STRING");
    }
    std::string data;
    if (options.series == 0) {
        data.assign(std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>());
    }

    int screenNumber = 0;
    c = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(c) != 0) {
        std::cerr << "cannot connect to the X server\n";
        return 1;
    }
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(c));
    for (int i = 0; i < screenNumber; ++i) {
        xcb_screen_next(&screens);
    }
    const xcb_window_t window = xcb_generate_id(c);
    xcb_create_window(c, XCB_COPY_FROM_PARENT, window, screens.data->root, 0, 0, 1, 1, 0, XCB_WINDOW_CLASS_INPUT_ONLY,
        XCB_COPY_FROM_PARENT, 0, nullptr);
    const xcb_atom_t clipboard = atom("CLIPBOARD");
    const xcb_atom_t targetsAtom = atom("TARGETS");
    const xcb_atom_t incrAtom = atom("INCR");
    const xcb_atom_t hintAtom = atom("x-kde-passwordManagerHint");
    std::vector<xcb_atom_t> offered;
    for (const std::string& name : options.targets) {
        offered.push_back(atom(name));
    }
    if (options.secret) {
        offered.push_back(hintAtom);
    }

    if (options.clear) {
        takeClipboard(XCB_NONE, clipboard, "owning nothing");
        return 0;
    }

    int copied = 0;
    const auto copyNext = [&] {
        data = "copy " + std::to_string(copied) + " " + std::to_string(monotonicNs());
        takeClipboard(window, clipboard, "owning " + std::to_string(copied));
        ++copied;
    };
    if (options.series > 0) {
        copyNext();
    } else {
        takeClipboard(window, clipboard, "owning");
    }
    if (options.stopWhenOwning) {
        raise(SIGSTOP);
    }

    std::vector<Incremental> sending;
    int chunkedAnswers = 0;
    signal(SIGUSR1, [](int) { resumeStalled = 1; });
    const auto sendChunk = [&](Incremental& incremental) {
        if (options.endless && incremental.offset == data.size()) {
            incremental.offset = 0;
        }
        const std::size_t size = std::min(options.chunk, data.size() - incremental.offset);
        const bool breakOff = incremental.number == options.stallChunked && incremental.chunks == 1;
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, incremental.requestor, incremental.property,
            breakOff ? xcb_atom_t {XCB_ATOM_STRING} : incremental.type, 8, static_cast<std::uint32_t>(size),
            data.data() + incremental.offset);
        ++incremental.chunks;
        incremental.offset += size;
        return size;
    };
    const auto answer = [&](const xcb_selection_request_event_t& request, bool refuse) {
        xcb_atom_t property = request.property == XCB_NONE ? request.target : request.property;
        const bool found = std::find(offered.begin(), offered.end(), request.target) != offered.end();
        if (refuse) {
            property = XCB_NONE;
        } else if (request.target == targetsAtom) {
            std::vector<xcb_atom_t> list {targetsAtom};
            list.insert(list.end(), offered.begin(), offered.end());
            xcb_change_property(c, XCB_PROP_MODE_REPLACE, request.requestor, property, XCB_ATOM_ATOM, 32,
                static_cast<std::uint32_t>(list.size()), list.data());
        } else if (request.target == hintAtom && options.secret) {
            xcb_change_property(c, XCB_PROP_MODE_REPLACE, request.requestor, property, request.target, 8, 6, "secret");
        } else if (found && data.size() > options.chunk) {
            const std::uint32_t size = static_cast<std::uint32_t>(data.size());
            const std::uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
            xcb_change_window_attributes(c, request.requestor, XCB_CW_EVENT_MASK, &mask);
            xcb_change_property(c, XCB_PROP_MODE_REPLACE, request.requestor, property, incrAtom, 32, 1, &size);
            sending.push_back({request.requestor, property, request.target, 0, chunkedAnswers++});
        } else if (found) {
            xcb_change_property(c, XCB_PROP_MODE_REPLACE, request.requestor, property, request.target, 8,
                static_cast<std::uint32_t>(data.size()), data.data());
        } else {
            property = XCB_NONE;
        }
        xcb_selection_notify_event_t notify {};
        notify.response_type = XCB_SELECTION_NOTIFY;
        notify.time = request.time;
        notify.requestor = request.requestor;
        notify.selection = request.selection;
        notify.target = request.target;
        notify.property = property;
        xcb_send_event(c, 0, request.requestor, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&notify));
    };
    // Requests kept for a delay, in the order they came, and whether the clipboard has been lost meanwhile.
    std::vector<Delayed> delayed;
    bool lost = false;
    int chunksSent = 0;
    std::int64_t nextCopy = monotonicNs() + std::int64_t {options.intervalMs} * 1000000;
    for (;;) {
        if (resumeStalled != 0) {
            resumeStalled = 0;
            options.stallChunked = -1;
            for (Incremental& incremental : sending) {
                if (std::exchange(incremental.stalled, false)) {
                    sendChunk(incremental);
                }
            }
        }
        while (!delayed.empty() && delayed.front().dueNs <= monotonicNs()) {
            answer(delayed.front().request, options.refuseAfterDelay);
            delayed.erase(delayed.begin());
        }
        // A busy program that lost the clipboard still finishes what it was asked.
        if (lost && delayed.empty()) {
            // A round trip, so that the server has taken the last answers before the connection closes.
            std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
            return 0;
        }
        xcb_flush(c);
        xcb_generic_event_t* event = xcb_poll_for_event(c);
        if (event == nullptr) {
            if (xcb_connection_has_error(c) != 0) {
                return 1;
            }
            int timeout = -1;
            if (!delayed.empty()) {
                timeout = static_cast<int>((delayed.front().dueNs - monotonicNs()) / 1000000) + 1;
            }
            // A signal that comes just before poll() does not wake it.
            if (options.stallChunked >= 0) {
                timeout = timeout < 0 ? 100 : std::min(timeout, 100);
            }
            if (copied < options.series) {
                const std::int64_t left = nextCopy - monotonicNs();
                if (left <= 0) {
                    copyNext();
                    nextCopy += std::int64_t {options.intervalMs} * 1000000;
                    continue;
                }
                const int untilCopy = static_cast<int>(left / 1000000) + 1;
                timeout = timeout < 0 ? untilCopy : std::min(timeout, untilCopy);
            }
            pollfd fd {xcb_get_file_descriptor(c), POLLIN, 0};
            poll(&fd, 1, timeout);
            continue;
        }
        const std::unique_ptr<xcb_generic_event_t, decltype(&std::free)> owned(event, &std::free);
        const std::uint8_t type = event->response_type & 0x7f;
        if (type == XCB_SELECTION_CLEAR) {
            lost = true;
            continue;
        }
        if (type == XCB_PROPERTY_NOTIFY) {
            const auto* notify = reinterpret_cast<xcb_property_notify_event_t*>(event);
            if (notify->state != XCB_PROPERTY_DELETE) {
                continue;
            }
            for (auto it = sending.begin(); it != sending.end(); ++it) {
                if (it->requestor != notify->window || it->property != notify->atom) {
                    continue;
                }
                if (chunksSent == options.stopAfterChunks) {
                    xcb_flush(c);
                    raise(SIGSTOP);
                }
                if (it->number < options.stallChunked && it->chunks == 1) {
                    it->stalled = true;
                    break;
                }
                ++chunksSent;
                if (sendChunk(*it) == 0) {
                    sending.erase(it);
                }
                break;
            }
            continue;
        }
        if (type != XCB_SELECTION_REQUEST) {
            continue;
        }
        const auto* request = reinterpret_cast<xcb_selection_request_event_t*>(event);
        if (options.logRequests) {
            std::cout << "request " << atomName(request->target) << " from " << request->requestor << std::endl;
        }
        if (options.delayMs >= 0 && request->target != targetsAtom) {
            delayed.push_back({monotonicNs() + std::int64_t {options.delayMs} * 1000000, *request});
        } else {
            answer(*request, false);
        }
    }
}
