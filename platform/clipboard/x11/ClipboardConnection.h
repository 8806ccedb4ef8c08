#pragma once

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include <xcb/xcb.h>

#include "platform/clipboard/x11/SelectionTransfer.h"

namespace vardelo {

/// Frees what xcb hands over: replies, events and errors.
struct XcbFree
{
    void operator()(void* pointer) const { std::free(pointer); }
};
template <typename T> using XcbReply = std::unique_ptr<T, XcbFree>;

/// The clipboard reader's own X connection and what it set up on it: a window that hears of changes to its
/// properties, XFixes notices of who owns the clipboard, and the atoms the reader names.
struct ClipboardConnection final
{
    struct Disconnect
    {
        void operator()(xcb_connection_t* connection) const { xcb_disconnect(connection); }
    };

    /// Connects to the X server that DISPLAY names; nullptr when there is no such server or it lacks XFixes.
    /// Waits for the server once, for all the atoms together.
    static std::unique_ptr<ClipboardConnection> open();

    xcb_connection_t* get() const { return xcb.get(); }

    std::unique_ptr<xcb_connection_t, Disconnect> xcb;
    xcb_window_t window = XCB_NONE;
    xcb_atom_t clipboard = XCB_NONE;
    /// A property of the window whose change notice tells the server's time.
    xcb_atom_t timestamp = XCB_NONE;
    std::uint8_t xfixesFirstEvent = 0;
    SelectionAtoms atoms;
    /// Properties for owners to write their answers to, to begin with.
    std::vector<xcb_atom_t> properties;
};

/// The name of the reader's n-th property for answers.
[[nodiscard]] std::string answerPropertyName(int n);

} // namespace vardelo
