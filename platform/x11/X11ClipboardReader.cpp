#include "platform/x11/X11ClipboardReader.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>

#include <QSocketNotifier>

#include <xcb/xcb.h>
#include <xcb/xcbext.h>
#include <xcb/xfixes.h>

namespace vardelo {

namespace {

using namespace std::chrono_literals;

constexpr auto NoProgressLimit = 1s;
constexpr auto RetryInterval = 500ms;
/// More than any property can hold, in the 4-byte units GetProperty counts in.
constexpr std::uint32_t WholeProperty = 0x1fffffff;

struct FreeDeleter
{
    void operator()(void* pointer) const { std::free(pointer); }
};
template <typename T> using XcbReply = std::unique_ptr<T, FreeDeleter>;

struct Disconnect
{
    void operator()(xcb_connection_t* connection) const { xcb_disconnect(connection); }
};

} // namespace

/// The reader's own X connection and what it set up on it.
struct X11ClipboardReader::Connection
{
    std::unique_ptr<xcb_connection_t, Disconnect> xcb;
    xcb_window_t window = XCB_NONE;
    xcb_atom_t clipboard = XCB_NONE;
    std::uint8_t xfixesFirstEvent = 0;
    SelectionAtoms atoms;
    /// Each attempt asks for its own property, so late answers to an abandoned attempt are told apart.
    std::array<xcb_atom_t, 8> properties {};
};

std::unique_ptr<X11ClipboardReader> X11ClipboardReader::create(QObject* parent)
{
    auto connection = std::make_unique<Connection>();
    int screenNumber = 0;
    connection->xcb.reset(xcb_connect(nullptr, &screenNumber));
    xcb_connection_t* c = connection->xcb.get();
    if (xcb_connection_has_error(c) != 0) {
        return nullptr;
    }

    // Start-up asks everything at once and then collects the answers, so it costs one round trip.
    xcb_prefetch_extension_data(c, &xcb_xfixes_id);
    const char* const names[] = {"CLIPBOARD", "UTF8_STRING", "TEXT", "COMPOUND_TEXT", "INCR", "VARDELO_SELECTION_0",
        "VARDELO_SELECTION_1", "VARDELO_SELECTION_2", "VARDELO_SELECTION_3", "VARDELO_SELECTION_4",
        "VARDELO_SELECTION_5", "VARDELO_SELECTION_6", "VARDELO_SELECTION_7"};
    constexpr std::size_t nameCount = std::size(names);
    std::array<xcb_intern_atom_cookie_t, nameCount> cookies {};
    for (std::size_t i = 0; i < nameCount; ++i) {
        cookies.at(i) = xcb_intern_atom(c, 0, static_cast<std::uint16_t>(std::strlen(names[i])), names[i]);
    }
    const xcb_query_extension_reply_t* xfixes = xcb_get_extension_data(c, &xcb_xfixes_id);
    std::optional<xcb_xfixes_query_version_cookie_t> versionCookie;
    if (xfixes != nullptr && xfixes->present != 0) {
        versionCookie = xcb_xfixes_query_version(c, XCB_XFIXES_MAJOR_VERSION, XCB_XFIXES_MINOR_VERSION);
    }
    std::array<xcb_atom_t, nameCount> atoms {};
    for (std::size_t i = 0; i < nameCount; ++i) {
        const XcbReply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(c, cookies.at(i), nullptr));
        atoms.at(i) = reply ? reply->atom : XCB_NONE;
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
    std::copy(atoms.begin() + 5, atoms.end(), connection->properties.begin());
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
    return std::unique_ptr<X11ClipboardReader>(new X11ClipboardReader(std::move(connection), parent));
}

X11ClipboardReader::X11ClipboardReader(std::unique_ptr<Connection> connection, QObject* parent)
    : QObject(parent)
    , m_connection(std::move(connection))
    , m_notifier(
          std::make_unique<QSocketNotifier>(xcb_get_file_descriptor(m_connection->xcb.get()), QSocketNotifier::Read))
{
    m_deadline.setSingleShot(true);
    m_deadline.setInterval(NoProgressLimit);
    m_retry.setSingleShot(true);
    m_retry.setInterval(RetryInterval);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &X11ClipboardReader::pump);
    connect(&m_deadline, &QTimer::timeout, this, [this] {
        fail(QStringLiteral("Программа, владеющая буфером обмена, не отдаёт текст."));
        pump();
    });
    connect(&m_retry, &QTimer::timeout, this, [this] {
        startTransfer();
        pump();
    });
    // A text already on the clipboard counts as a copy made just now.
    startTransfer();
    pump();
}

X11ClipboardReader::~X11ClipboardReader() = default;

Result<ClipboardContent> X11ClipboardReader::read()
{
    switch (m_state) {
    case State::Ready:
        return ClipboardContent {m_text, false};
    case State::Reading:
        return Result<ClipboardContent>::failure(QStringLiteral("Текст буфера обмена ещё читается."));
    case State::Failed:
        break;
    }
    return Result<ClipboardContent>::failure(m_failure);
}

std::uint32_t X11ClipboardReader::property() const
{
    return m_connection->properties.at(m_propertyIndex);
}

void X11ClipboardReader::startTransfer()
{
    abandonPendingRead();
    m_retry.stop();
    m_state = State::Reading;
    m_propertyIndex = (m_propertyIndex + 1) % m_connection->properties.size();
    m_transfer.emplace(m_connection->atoms);
    perform(m_transfer->start());
    notifyChange();
}

void X11ClipboardReader::perform(SelectionTransfer::Step step)
{
    xcb_connection_t* c = m_connection->xcb.get();
    m_deadline.start();
    switch (step) {
    case SelectionTransfer::Step::Convert:
        xcb_convert_selection(
            c, m_connection->window, m_connection->clipboard, m_transfer->target(), property(), XCB_CURRENT_TIME);
        break;
    case SelectionTransfer::Step::ReadProperty:
        if (!m_pendingRead) {
            m_pendingRead
                = xcb_get_property(c, 1, m_connection->window, property(), XCB_GET_PROPERTY_TYPE_ANY, 0, WholeProperty)
                      .sequence;
        }
        break;
    case SelectionTransfer::Step::WaitForChunk:
        return;
    case SelectionTransfer::Step::Finished:
        // The same text copied again keeps the old string, which the last capture shares, so the capture's
        // compare stays free instead of running over the whole text on every tick.
        if (m_transfer->text() != m_text) {
            m_text = m_transfer->text();
        }
        m_transfer.reset();
        m_deadline.stop();
        m_state = State::Ready;
        notifyChange();
        return;
    }
    xcb_flush(c);
}

void X11ClipboardReader::fail(const QString& reason)
{
    abandonPendingRead();
    m_transfer.reset();
    m_deadline.stop();
    m_state = State::Failed;
    m_failure = reason;
    m_retry.start();
    notifyChange();
}

void X11ClipboardReader::abandonPendingRead()
{
    if (m_pendingRead) {
        xcb_discard_reply(m_connection->xcb.get(), *m_pendingRead);
        m_pendingRead.reset();
    }
}

void X11ClipboardReader::pump()
{
    // Sending a request may read events into xcb's buffer, where the socket notifier cannot see them, so
    // every handler that sends ends up back here until nothing is left.
    if (m_pumping) {
        return;
    }
    m_pumping = true;
    xcb_connection_t* c = m_connection->xcb.get();
    for (bool progressed = true; progressed;) {
        progressed = false;
        while (const XcbReply<xcb_generic_event_t> event {xcb_poll_for_event(c)}) {
            handleEvent(event.get());
            progressed = true;
        }
        if (m_pendingRead) {
            void* reply = nullptr;
            xcb_generic_error_t* error = nullptr;
            if (xcb_poll_for_reply(c, *m_pendingRead, &reply, &error) != 0) {
                const XcbReply<xcb_generic_error_t> errorOwner(error);
                m_pendingRead.reset();
                handlePropertyReply(reply);
                progressed = true;
            }
        }
    }
    if (xcb_connection_has_error(c) != 0) {
        m_notifier->setEnabled(false);
        abandonPendingRead();
        m_transfer.reset();
        m_deadline.stop();
        m_retry.stop();
        m_state = State::Failed;
        m_failure = QStringLiteral("Связь с X-сервером потеряна.");
    }
    m_pumping = false;
}

void X11ClipboardReader::handleEvent(const void* raw)
{
    const auto* event = static_cast<const xcb_generic_event_t*>(raw);
    const std::uint8_t type = event->response_type & 0x7f;

    if (type == m_connection->xfixesFirstEvent + XCB_XFIXES_SELECTION_NOTIFY) {
        const auto* notify = static_cast<const xcb_xfixes_selection_notify_event_t*>(raw);
        if (notify->selection != m_connection->clipboard) {
            return;
        }
        if (notify->subtype != XCB_XFIXES_SELECTION_EVENT_SET_SELECTION_OWNER) {
            // The owner exited; its text stays what the clipboard last held.
            if (m_state != State::Ready) {
                abandonPendingRead();
                m_transfer.reset();
                m_deadline.stop();
                m_retry.stop();
                m_state = State::Ready;
                notifyChange();
            }
            return;
        }
        if (notify->owner == XCB_NONE) {
            abandonPendingRead();
            m_transfer.reset();
            m_deadline.stop();
            m_retry.stop();
            m_text = QString();
            m_state = State::Ready;
            notifyChange();
            return;
        }
        startTransfer();
        return;
    }

    if (!m_transfer) {
        return;
    }
    if (type == XCB_SELECTION_NOTIFY) {
        const auto* notify = static_cast<const xcb_selection_notify_event_t*>(raw);
        const bool ours = notify->requestor == m_connection->window && notify->selection == m_connection->clipboard
            && m_transfer->step() == SelectionTransfer::Step::Convert && notify->target == m_transfer->target();
        if (ours && (notify->property == property() || notify->property == XCB_NONE)) {
            perform(m_transfer->conversionAnswered(notify->property != XCB_NONE));
        }
        return;
    }
    if (type == XCB_PROPERTY_NOTIFY) {
        const auto* notify = static_cast<const xcb_property_notify_event_t*>(raw);
        if (notify->window == m_connection->window && notify->atom == property()
            && notify->state == XCB_PROPERTY_NEW_VALUE) {
            const SelectionTransfer::Step before = m_transfer->step();
            const SelectionTransfer::Step after = m_transfer->chunkAnnounced();
            if (before != after) {
                perform(after);
            }
        }
    }
}

void X11ClipboardReader::handlePropertyReply(void* raw)
{
    const XcbReply<xcb_get_property_reply_t> reply(static_cast<xcb_get_property_reply_t*>(raw));
    if (!m_transfer) {
        return;
    }
    if (!reply) {
        fail(QStringLiteral("X-сервер не отдал текст буфера обмена."));
        return;
    }
    const auto* bytes = static_cast<const char*>(xcb_get_property_value(reply.get()));
    const int length = xcb_get_property_value_length(reply.get());
    perform(m_transfer->propertyRead(reply->type, reply->format, QByteArrayView(bytes, length)));
}

} // namespace vardelo
