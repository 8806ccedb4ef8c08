#include "platform/x11/X11ClipboardReader.h"

#include <QSocketNotifier>

#include <xcb/xcb.h>
#include <xcb/xcbext.h>
#include <xcb/xfixes.h>

#include "platform/x11/ClipboardConnection.h"

namespace vardelo {

namespace {

using namespace std::chrono_literals;

constexpr auto NoProgressLimit = 1s;
constexpr auto RetryInterval = 500ms;
/// More than any property can hold, in the 4-byte units GetProperty counts in.
constexpr std::uint32_t WholeProperty = 0x1fffffff;

} // namespace

std::unique_ptr<X11ClipboardReader> X11ClipboardReader::create(QObject* parent)
{
    std::unique_ptr<ClipboardConnection> connection = ClipboardConnection::open();
    if (!connection) {
        return nullptr;
    }
    return std::unique_ptr<X11ClipboardReader>(new X11ClipboardReader(std::move(connection), parent));
}

X11ClipboardReader::X11ClipboardReader(std::unique_ptr<ClipboardConnection> connection, QObject* parent)
    : QObject(parent)
    , m_connection(std::move(connection))
    , m_notifier(std::make_unique<QSocketNotifier>(xcb_get_file_descriptor(m_connection->get()), QSocketNotifier::Read))
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
    xcb_connection_t* c = m_connection->get();
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
        xcb_discard_reply(m_connection->get(), *m_pendingRead);
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
    xcb_connection_t* c = m_connection->get();
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
