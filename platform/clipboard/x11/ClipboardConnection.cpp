#include "platform/clipboard/x11/ClipboardConnection.h"

#include <algorithm>
#include <optional>
#include <string>

#include <xcb/xfixes.h>

#include "platform/clipboard/SecretMark.h"

namespace vardelo {

namespace {

/// Properties interned at start; more are interned as they are needed.
constexpr int FirstProperties = 4;

} // namespace

std::string answerPropertyName(int n)
{
    return "VARDELO_SELECTION_" + std::to_string(n);
}

std::unique_ptr<ClipboardConnection> ClipboardConnection::open()
{
    auto connection = std::make_unique<ClipboardConnection>();
    int screenNumber = 0;
    connection->xcb.reset(xcb_connect(nullptr, &screenNumber));
    xcb_connection_t* c = connection->get();
    if (xcb_connection_has_error(c) != 0) {
        return nullptr;
    }

    // Asks everything at once and then collects the answers, so it costs one round trip.
    xcb_prefetch_extension_data(c, &xcb_xfixes_id);
    std::vector<std::string> names {"CLIPBOARD", "UTF8_STRING", "TEXT", "COMPOUND_TEXT", "INCR", "TARGETS",
        PasswordManagerHint, "VARDELO_TIMESTAMP"};
    const std::size_t fixedNames = names.size();
    for (int i = 0; i < FirstProperties; ++i) {
        names.push_back(answerPropertyName(i));
    }
    std::vector<xcb_intern_atom_cookie_t> cookies;
    for (const std::string& name : names) {
        cookies.push_back(xcb_intern_atom(c, 0, static_cast<std::uint16_t>(name.size()), name.c_str()));
    }
    const xcb_query_extension_reply_t* xfixes = xcb_get_extension_data(c, &xcb_xfixes_id);
    std::optional<xcb_xfixes_query_version_cookie_t> versionCookie;
    if (xfixes != nullptr && xfixes->present != 0) {
        versionCookie = xcb_xfixes_query_version(c, XCB_XFIXES_MAJOR_VERSION, XCB_XFIXES_MINOR_VERSION);
    }
    std::vector<xcb_atom_t> atoms;
    for (const xcb_intern_atom_cookie_t cookie : cookies) {
        const XcbReply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(c, cookie, nullptr));
        atoms.push_back(reply ? reply->atom : XCB_NONE);
    }
    if (!versionCookie) {
        return nullptr;
    }
    const XcbReply<xcb_xfixes_query_version_reply_t> version(
        xcb_xfixes_query_version_reply(c, *versionCookie, nullptr));
    // Selection notifications came with XFixes 1.0; without them the reader would have to poll.
    if (!version || version->major_version < 1 || std::find(atoms.begin(), atoms.end(), XCB_NONE) != atoms.end()) {
        return nullptr;
    }

    connection->clipboard = atoms[0];
    connection->atoms.utf8String = atoms[1];
    connection->atoms.string = XCB_ATOM_STRING;
    connection->atoms.text = atoms[2];
    connection->atoms.compoundText = atoms[3];
    connection->atoms.incr = atoms[4];
    connection->atoms.targets = atoms[5];
    connection->atoms.atom = XCB_ATOM_ATOM;
    connection->atoms.passwordHint = atoms[6];
    connection->timestamp = atoms[7];
    connection->properties.assign(atoms.begin() + static_cast<std::ptrdiff_t>(fixedNames), atoms.end());
    connection->xfixesFirstEvent = xfixes->first_event;

    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(c));
    for (int i = 0; i < screenNumber && screens.rem > 0; ++i) {
        xcb_screen_next(&screens);
    }
    if (screens.rem == 0) {
        return nullptr;
    }
    connection->window = xcb_generate_id(c);
    const std::uint32_t eventMask = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_create_window(c, XCB_COPY_FROM_PARENT, connection->window, screens.data->root, 0, 0, 1, 1, 0,
        XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK, &eventMask);
    xcb_xfixes_select_selection_input(c, connection->window, connection->clipboard,
        XCB_XFIXES_SELECTION_EVENT_MASK_SET_SELECTION_OWNER | XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_WINDOW_DESTROY
            | XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_CLIENT_CLOSE);
    return connection;
}

} // namespace vardelo
