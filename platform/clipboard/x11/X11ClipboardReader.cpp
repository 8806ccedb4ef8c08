#include "platform/clipboard/x11/X11ClipboardReader.h"

#include <algorithm>

#include <QElapsedTimer>
#include <QSocketNotifier>

#include <xcb/xcb.h>
#include <xcb/xcbext.h>
#include <xcb/xfixes.h>

#include "platform/clipboard/x11/ClipboardConnection.h"

namespace vardelo {

namespace {

using namespace std::chrono_literals;
using Step = SelectionTransfer::Step;

constexpr std::chrono::milliseconds FirstPatience = 1s;
constexpr std::chrono::milliseconds LongestPatience = 30s;
/// An owner that has let this many attempts go unanswered is asked no more, only waited on: an owner
/// answers its requests in turn, so the last one is answered once the owner answers at all.
constexpr std::size_t MostAttemptsGivenUp = 6;
/// How long one pump may work before it gives the event loop a turn.
constexpr qint64 PumpSliceMs = 5;
/// Free properties kept at hand, so that a new owner never waits for one to be interned.
constexpr std::size_t SpareProperties = 2;
/// What one GetProperty reads at most, in the 4-byte units it counts in: a little over the limit, so that a
/// larger answer shows as one.
constexpr std::uint32_t ReadLimit = static_cast<std::uint32_t>(MaxClipboardBytes / 4 + 1);

QString stillReading()
{
    return QStringLiteral("Текст буфера обмена ещё читается.");
}

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
    , m_pool(m_connection->atoms.incr)
    , m_propertiesNamed(static_cast<int>(m_connection->properties.size()))
    , m_failure(stillReading())
{
    for (const xcb_atom_t property : m_connection->properties) {
        m_pool.add(property);
    }
    m_deadline.setSingleShot(true);
    m_retry.setSingleShot(true);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &X11ClipboardReader::pump);
    connect(&m_deadline, &QTimer::timeout, this, [this] {
        deadlinePassed();
        pump();
    });
    // tidy() asks again once the owner has an attempt to spare.
    connect(&m_retry, &QTimer::timeout, this, &X11ClipboardReader::pump);
    m_resume.setSingleShot(true);
    m_resume.setInterval(0);
    connect(&m_resume, &QTimer::timeout, this, &X11ClipboardReader::pump);
    m_decoding.setSingleShot(true);
    m_decoding.setInterval(0);
    connect(&m_decoding, &QTimer::timeout, this, [this] {
        if (m_transfer) {
            perform(m_transfer->decodeSome());
        }
    });

    // A text already on the clipboard counts as a copy made just now. Its owner's requests need a time no
    // earlier than it took the clipboard: the server's time now, which the notice of a change to our own
    // window tells.
    xcb_connection_t* c = m_connection->get();
    m_startup.emplace();
    m_startup->ownerQuery = xcb_get_selection_owner(c, m_connection->clipboard).sequence;
    xcb_change_property(
        c, XCB_PROP_MODE_APPEND, m_connection->window, m_connection->timestamp, XCB_ATOM_INTEGER, 32, 0, nullptr);
    pump();
}

X11ClipboardReader::~X11ClipboardReader() = default;

Result<ClipboardContent> X11ClipboardReader::read()
{
    if (!m_ready) {
        return Result<ClipboardContent>::failure(m_failure);
    }
    return m_secret ? ClipboardContent {QString(), true} : ClipboardContent {m_text, false};
}

void X11ClipboardReader::beginSession(std::uint32_t owner, std::uint32_t time)
{
    giveUpAttempt();
    m_retry.stop();
    m_decoding.stop();
    m_owner = owner;
    m_ownerTime = time;
    m_patience = FirstPatience;
    if (owner == XCB_NONE) {
        m_transfer.reset();
        m_text = QString();
        m_secret = false;
        m_ready = true;
        notifyChange();
        return;
    }
    m_ready = false;
    m_failure = stillReading();
    m_transfer.emplace(m_connection->atoms);
    ask(m_transfer->start());
    notifyChange();
}

void X11ClipboardReader::ask(Step step)
{
    if (step == Step::Convert && !m_property) {
        m_property = m_pool.take();
        if (!m_property) {
            // tidy() asks once a property is free.
            m_deadline.stop();
            return;
        }
    }
    perform(step);
}

void X11ClipboardReader::perform(Step step)
{
    xcb_connection_t* c = m_connection->get();
    switch (step) {
    case Step::Convert:
        xcb_convert_selection(
            c, m_connection->window, m_connection->clipboard, m_transfer->target(), *m_property, m_ownerTime);
        break;
    case Step::ReadProperty:
        if (std::none_of(m_reads.begin(), m_reads.end(), [](const PendingRead& read) { return read.forTransfer; })) {
            const unsigned int sequence
                = xcb_get_property(c, 1, m_connection->window, *m_property, XCB_GET_PROPERTY_TYPE_ANY, 0, ReadLimit)
                      .sequence;
            m_reads.push_back({sequence, *m_property, true});
        }
        break;
    case Step::WaitForChunk:
        break;
    case Step::Decode:
        // Everything is read and the property deleted; the owner is done with it.
        if (m_property) {
            m_pool.add(*m_property);
            m_property.reset();
        }
        m_deadline.stop();
        m_decoding.start();
        return;
    case Step::Finished:
        // The same text copied again keeps the old string, which the last capture shares, so the capture's
        // compare stays free instead of running over the whole text on every tick.
        if (!m_transfer->secret() && m_transfer->text() != m_text) {
            m_text = m_transfer->text();
        }
        m_secret = m_transfer->secret();
        m_ready = true;
        finishSession();
        return;
    case Step::Undecodable:
        m_failure = QStringLiteral("Текст буфера обмена записан в кодировке, которой программа не знает.");
        finishSession();
        return;
    case Step::BrokenOff:
        askAgainLater(QStringLiteral("Программа, владеющая буфером обмена, прервала передачу текста."));
        return;
    case Step::Refused:
        // A refused property holds nothing the owner may still write.
        m_pool.add(*m_property);
        m_property.reset();
        askAgainLater(QStringLiteral("Программа, владеющая буфером обмена, отказалась отдать текст."));
        return;
    case Step::TooLarge:
        giveUpTooLarge();
        return;
    }
    m_deadline.start(m_patience);
}

void X11ClipboardReader::giveUpTooLarge()
{
    if (m_transfer->chunked()) {
        // Deleting the chunk would ask for the next one, and an owner that never stops would be drained for
        // ever; left as it is, it waits.
        m_pool.giveUp(*m_property, {m_owner, m_ownerTime, m_transfer->target(), PropertyPool::Stage::Abandoned});
    } else {
        // A whole answer too large is not deleted by reading part of it; the X server keeps it until it is.
        xcb_delete_property(m_connection->get(), m_connection->window, *m_property);
        m_pool.add(*m_property);
    }
    m_property.reset();
    for (PendingRead& read : m_reads) {
        read.forTransfer = false;
    }
    m_failure = tooLargeToRead();
    finishSession();
}

void X11ClipboardReader::finishSession()
{
    m_decoding.stop();
    if (m_property) {
        m_pool.add(*m_property);
        m_property.reset();
    }
    m_deadline.stop();
    m_transfer.reset();
    notifyChange();
}

void X11ClipboardReader::giveUpAttempt()
{
    m_deadline.stop();
    if (!m_transfer || !m_property) {
        return;
    }
    PropertyPool::Stage stage = PropertyPool::Stage::Chunked;
    if (m_transfer->step() == Step::Convert) {
        stage = PropertyPool::Stage::Unanswered;
    } else if (m_transfer->step() == Step::ReadProperty && !m_transfer->chunked()) {
        stage = PropertyPool::Stage::Answered;
    }
    const std::uint32_t property = *m_property;
    m_pool.giveUp(property, {m_owner, m_ownerTime, m_transfer->target(), stage});
    m_property.reset();
    // What the server still sends about the property now tells the pool whether the owner is done with it.
    for (PendingRead& read : m_reads) {
        read.forTransfer = false;
    }
    if (m_transfer->chunkPending() && m_pool.valueWritten(property)) {
        inspect(property);
    }
}

void X11ClipboardReader::askAgainLater(const QString& reason)
{
    giveUpAttempt();
    m_failure = reason;
    m_retry.start(m_patience);
    m_patience = std::min(m_patience * 2, LongestPatience);
    notifyChange();
}

void X11ClipboardReader::deadlinePassed()
{
    if (!m_transfer || m_pool.heldBy(m_owner) >= MostAttemptsGivenUp) {
        return;
    }
    giveUpAttempt();
    m_patience = std::min(m_patience * 2, LongestPatience);
    m_failure = QStringLiteral("Программа, владеющая буфером обмена, не отдаёт текст.");
    ask(m_transfer->retry());
    notifyChange();
}

void X11ClipboardReader::inspect(std::uint32_t property)
{
    xcb_connection_t* c = m_connection->get();
    const unsigned int sequence
        = xcb_get_property(c, 0, m_connection->window, property, XCB_GET_PROPERTY_TYPE_ANY, 0, 0).sequence;
    m_reads.push_back({sequence, property, false});
    xcb_delete_property(c, m_connection->window, property);
}

void X11ClipboardReader::pump()
{
    if (m_pumping) {
        return;
    }
    m_pumping = true;
    xcb_connection_t* c = m_connection->get();
    QElapsedTimer working;
    working.start();
    // A broken connection answers every request at once, with nothing, which is no progress.
    for (bool progressed = true; progressed && xcb_connection_has_error(c) == 0;) {
        // An owner that sends without pause would otherwise keep the event loop here for its whole answer.
        if (working.elapsed() >= PumpSliceMs) {
            m_resume.start();
            break;
        }
        progressed = false;
        // Sending may read answers into xcb's buffer, where the socket notifier cannot see them, so every
        // round sends first and then takes in what is there, until a round finds nothing.
        xcb_flush(c);
        while (const XcbReply<xcb_generic_event_t> event {xcb_poll_for_event(c)}) {
            handleEvent(event.get());
            progressed = true;
        }
        progressed = pollReplies() || progressed;
        progressed = tidy() || progressed;
    }
    m_pumping = false;
    if (xcb_connection_has_error(c) != 0 && m_notifier->isEnabled()) {
        connectionBroken();
    }
}

void X11ClipboardReader::connectionBroken()
{
    m_notifier->setEnabled(false);
    m_deadline.stop();
    m_retry.stop();
    m_resume.stop();
    m_transfer.reset();
    m_property.reset();
    m_reads.clear();
    m_startup.reset();
    m_pendingIntern.reset();
    m_ready = false;
    m_failure = QStringLiteral("Связь с X-сервером потеряна; буфер обмена больше не читается.");
    qWarning("Vardelo: %s", qUtf8Printable(m_failure));
    notifyChange();
}

bool X11ClipboardReader::pollReplies()
{
    xcb_connection_t* c = m_connection->get();
    bool progressed = false;
    void* reply = nullptr;
    xcb_generic_error_t* error = nullptr;
    // The server answers in the order it was asked.
    while (!m_reads.empty() && xcb_poll_for_reply(c, m_reads.front().sequence, &reply, &error) != 0) {
        const XcbReply<xcb_generic_error_t> errorOwner(error);
        const PendingRead read = m_reads.front();
        m_reads.pop_front();
        progressed = true;
        if (read.forTransfer) {
            handleTransferReply(reply);
            continue;
        }
        const XcbReply<xcb_get_property_reply_t> property(static_cast<xcb_get_property_reply_t*>(reply));
        const std::uint32_t bytes = property
            ? static_cast<std::uint32_t>(xcb_get_property_value_length(property.get())) + property->bytes_after
            : 0;
        m_pool.inspected(read.property, property ? property->type : XCB_NONE, bytes);
    }
    if (m_startup && m_startup->ownerQuery && xcb_poll_for_reply(c, *m_startup->ownerQuery, &reply, &error) != 0) {
        const XcbReply<xcb_generic_error_t> errorOwner(error);
        const XcbReply<xcb_get_selection_owner_reply_t> owner(static_cast<xcb_get_selection_owner_reply_t*>(reply));
        m_startup->ownerQuery.reset();
        m_startup->owner = owner ? owner->owner : XCB_NONE;
        progressed = true;
    }
    if (m_startup && m_startup->owner && m_startup->time) {
        const Startup startup = *m_startup;
        m_startup.reset();
        beginSession(*startup.owner, *startup.time);
        progressed = true;
    }
    if (m_pendingIntern && xcb_poll_for_reply(c, *m_pendingIntern, &reply, &error) != 0) {
        const XcbReply<xcb_generic_error_t> errorOwner(error);
        const XcbReply<xcb_intern_atom_reply_t> atom(static_cast<xcb_intern_atom_reply_t*>(reply));
        m_pendingIntern.reset();
        if (atom) {
            m_pool.add(atom->atom);
        }
        progressed = true;
    }
    return progressed;
}

bool X11ClipboardReader::tidy()
{
    xcb_connection_t* c = m_connection->get();
    bool sent = false;
    // Hear of the end of every owner that may still write to a property given up, and of no other.
    const std::vector<std::uint32_t> owners = m_pool.owners();
    for (const std::uint32_t owner : owners) {
        if (std::find(m_watched.begin(), m_watched.end(), owner) == m_watched.end()) {
            const std::uint32_t mask = XCB_EVENT_MASK_STRUCTURE_NOTIFY;
            xcb_change_window_attributes(c, owner, XCB_CW_EVENT_MASK, &mask);
            m_watched.push_back(owner);
            sent = true;
        }
    }
    std::erase_if(m_watched, [&](std::uint32_t owner) {
        if (std::find(owners.begin(), owners.end(), owner) != owners.end()) {
            return false;
        }
        const std::uint32_t mask = XCB_EVENT_MASK_NO_EVENT;
        xcb_change_window_attributes(c, owner, XCB_CW_EVENT_MASK, &mask);
        sent = true;
        return true;
    });
    if (!m_pendingIntern && m_pool.freeCount() < SpareProperties) {
        const std::string name = answerPropertyName(m_propertiesNamed++);
        m_pendingIntern = xcb_intern_atom(c, 0, static_cast<std::uint16_t>(name.size()), name.c_str()).sequence;
        sent = true;
    }
    if (m_transfer && !m_property && m_transfer->step() == Step::Convert && m_pool.freeCount() > 0) {
        ask(Step::Convert);
        sent = true;
    }
    // An answer broken off or refused is asked for again once its wait is over and the owner has an attempt
    // to spare, which may be only once it is done with earlier ones.
    const bool retryDue = m_transfer && !m_property && !m_retry.isActive()
        && (m_transfer->step() == Step::BrokenOff || m_transfer->step() == Step::Refused);
    if (retryDue && m_pool.heldBy(m_owner) < MostAttemptsGivenUp) {
        m_failure = stillReading();
        ask(m_transfer->retry());
        sent = true;
    }
    return sent;
}

void X11ClipboardReader::handleEvent(const void* raw)
{
    const auto* event = static_cast<const xcb_generic_event_t*>(raw);
    const std::uint8_t type = event->response_type & 0x7f;

    if (type == 0) {
        // Watching an owner's window that is already gone fails: it can write nothing more.
        const auto* error = static_cast<const xcb_generic_error_t*>(raw);
        if (error->error_code == XCB_WINDOW && error->major_code == XCB_CHANGE_WINDOW_ATTRIBUTES) {
            ownerGone(error->resource_id);
        }
        return;
    }
    if (type == XCB_DESTROY_NOTIFY) {
        ownerGone(static_cast<const xcb_destroy_notify_event_t*>(raw)->window);
        return;
    }
    if (type == XCB_SELECTION_NOTIFY) {
        handleSelectionNotify(raw);
        return;
    }
    if (type == XCB_PROPERTY_NOTIFY) {
        handlePropertyNotify(raw);
        return;
    }
    if (type != m_connection->xfixesFirstEvent + XCB_XFIXES_SELECTION_NOTIFY) {
        return;
    }
    const auto* notify = static_cast<const xcb_xfixes_selection_notify_event_t*>(raw);
    if (notify->selection != m_connection->clipboard) {
        return;
    }
    // A notice is newer than what start-up asked.
    if (m_startup) {
        if (m_startup->ownerQuery) {
            xcb_discard_reply(m_connection->get(), *m_startup->ownerQuery);
        }
        m_startup.reset();
    }
    if (notify->subtype == XCB_XFIXES_SELECTION_EVENT_SET_SELECTION_OWNER) {
        beginSession(notify->owner, notify->selection_timestamp);
        return;
    }
    // The owner exited; its content stays what the clipboard last held. A text it has sent in full is still
    // being decoded, and is its content.
    if (m_transfer && m_transfer->step() == Step::Decode) {
        ownerGone(m_owner);
        return;
    }
    giveUpAttempt();
    m_retry.stop();
    m_transfer.reset();
    ownerGone(m_owner);
    if (!m_ready) {
        m_ready = true;
        notifyChange();
    }
}

void X11ClipboardReader::handleSelectionNotify(const void* raw)
{
    const auto* notify = static_cast<const xcb_selection_notify_event_t*>(raw);
    if (notify->requestor != m_connection->window || notify->selection != m_connection->clipboard) {
        return;
    }
    // Only the answer to the request under way counts: the same owner's time, the same target, the same
    // property, or none for a refusal.
    if (m_transfer && m_property && m_transfer->step() == Step::Convert && notify->time == m_ownerTime
        && notify->target == m_transfer->target()
        && (notify->property == *m_property || notify->property == XCB_NONE)) {
        perform(m_transfer->conversionAnswered(notify->property != XCB_NONE));
        return;
    }
    // A late answer from the same owner to a request given up on and asked again is taken as it comes: the
    // owner may need longer than any wait, and the request asked again is given up in its place.
    if (m_transfer && m_property && m_transfer->step() == Step::Convert && notify->property != XCB_NONE
        && notify->time == m_ownerTime && notify->target == m_transfer->target()
        && m_pool.reclaim(notify->property, m_owner, m_ownerTime, notify->target)) {
        giveUpAttempt();
        m_property = notify->property;
        perform(m_transfer->conversionAnswered(true));
        return;
    }
    if (m_pool.answered(notify->time, notify->target, notify->property)) {
        inspect(notify->property);
    }
}

void X11ClipboardReader::handlePropertyNotify(const void* raw)
{
    const auto* notify = static_cast<const xcb_property_notify_event_t*>(raw);
    if (notify->window != m_connection->window || notify->state != XCB_PROPERTY_NEW_VALUE) {
        return;
    }
    if (m_startup && notify->atom == m_connection->timestamp) {
        m_startup->time = notify->time;
        return;
    }
    if (m_transfer && m_property && notify->atom == *m_property) {
        const Step before = m_transfer->step();
        const Step after = m_transfer->chunkAnnounced();
        if (before != after) {
            perform(after);
        }
        return;
    }
    if (m_pool.valueWritten(notify->atom)) {
        inspect(notify->atom);
    }
}

void X11ClipboardReader::handleTransferReply(void* raw)
{
    const XcbReply<xcb_get_property_reply_t> reply(static_cast<xcb_get_property_reply_t*>(raw));
    if (!m_transfer) {
        return;
    }
    if (!reply) {
        askAgainLater(QStringLiteral("X-сервер не отдал текст буфера обмена."));
        return;
    }
    const auto* bytes = static_cast<const char*>(xcb_get_property_value(reply.get()));
    const int length = xcb_get_property_value_length(reply.get());
    perform(m_transfer->propertyRead(reply->type, reply->format, QByteArrayView(bytes, length)));
}

void X11ClipboardReader::ownerGone(std::uint32_t owner)
{
    m_pool.ownerGone(owner);
    std::erase(m_watched, owner);
}

} // namespace vardelo
