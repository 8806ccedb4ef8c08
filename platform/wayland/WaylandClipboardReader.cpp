#include "platform/wayland/WaylandClipboardReader.h"

#include <array>
#include <optional>

#include "platform/SecretMark.h"
#include "platform/wayland/DataControlDevice.h"
#include "platform/wayland/PipeReader.h"
#include "platform/wayland/WaylandConnection.h"

namespace vardelo {

namespace {

using namespace std::chrono_literals;

constexpr auto RetryInterval = 500ms;

/// The text types asked for, best first; each of them carries UTF-8.
constexpr std::array<const char*, 3> TextTypes {"text/plain;charset=utf-8", "UTF8_STRING", "text/plain"};

/// The offered type that is wanted, spelled as the source spelled it (MIME types ignore case).
std::optional<QByteArray> offered(const QByteArrayList& types, const char* wanted)
{
    for (const QByteArray& type : types) {
        if (type.compare(wanted, Qt::CaseInsensitive) == 0) {
            return type;
        }
    }
    return std::nullopt;
}

} // namespace

std::unique_ptr<WaylandClipboardReader> WaylandClipboardReader::create(QObject* parent)
{
    std::unique_ptr<WaylandConnection> connection = WaylandConnection::connect();
    if (!connection) {
        return nullptr;
    }
    std::unique_ptr<WaylandClipboardReader> reader(new WaylandClipboardReader(std::move(connection), parent));
    if (!reader->m_device) {
        return nullptr;
    }
    return reader;
}

WaylandClipboardReader::WaylandClipboardReader(std::unique_ptr<WaylandConnection> connection, QObject* parent)
    : QObject(parent)
    , m_connection(std::move(connection))
{
    m_retry.setSingleShot(true);
    m_retry.setInterval(RetryInterval);
    connect(&m_retry, &QTimer::timeout, this, &WaylandClipboardReader::startReading);
    m_connection->setBrokenListener([this] { stop(QStringLiteral("Связь с композитором Wayland потеряна.")); });
    // The device's first selection event tells what the clipboard holds now, which counts as a copy made just
    // now; until it comes, read() fails.
    m_device = DataControlDevice::create(*m_connection,
        {.selection = [this](std::unique_ptr<DataOffer> offer) { selectionChanged(std::move(offer)); },
            .finished = [this] { stop(QStringLiteral("Композитор Wayland больше не показывает буфер обмена.")); }});
}

WaylandClipboardReader::~WaylandClipboardReader() = default;

Result<ClipboardContent> WaylandClipboardReader::read()
{
    switch (m_state) {
    case State::Ready:
        return m_content;
    case State::Reading:
        return Result<ClipboardContent>::failure(QStringLiteral("Текст буфера обмена ещё читается."));
    case State::Failed:
        break;
    }
    return Result<ClipboardContent>::failure(m_failure);
}

void WaylandClipboardReader::selectionChanged(std::unique_ptr<DataOffer> offer)
{
    m_pipe.reset();
    m_retry.stop();
    m_offer = std::move(offer);
    if (m_offer) {
        startReading();
        return;
    }
    // The source went away, or nothing was on the clipboard at the start: the text stays what it was.
    if (m_state != State::Ready) {
        m_state = State::Ready;
        notifyChange();
    }
}

void WaylandClipboardReader::startReading()
{
    if (!m_offer) {
        return;
    }
    m_state = State::Reading;
    notifyChange();
    // A secret's mark is read first, so that its text is never asked for.
    if (const std::optional<QByteArray> hint = offered(m_offer->mimeTypes(), PasswordManagerHint)) {
        m_hint.clear();
        receive(
            *hint, [this](QByteArrayView piece) { m_hint += piece; }, &WaylandClipboardReader::hintRead);
    } else {
        readText();
    }
}

void WaylandClipboardReader::readText()
{
    for (const char* wanted : TextTypes) {
        if (const std::optional<QByteArray> type = offered(m_offer->mimeTypes(), wanted)) {
            // A read that a newer selection cancelled may have left a part behind.
            m_text = Utf8TextBuilder();
            receive(
                *type, [this](QByteArrayView piece) { m_text.add(piece); }, &WaylandClipboardReader::textRead);
            return;
        }
    }
    finish({});
}

void WaylandClipboardReader::receive(
    const QByteArray& mimeType, std::function<void(QByteArrayView)> received, void (WaylandClipboardReader::*then)())
{
    auto pipe = std::make_unique<PipeReader>(std::move(received), [this, then](const Status& ended) {
        m_pipe.reset();
        if (ended.ok()) {
            (this->*then)();
        } else {
            fail(ended.reason());
        }
    });
    if (const Status opened = pipe->open([&](int fd) { m_offer->receive(mimeType, fd); }); !opened.ok()) {
        fail(opened.reason());
        return;
    }
    m_pipe = std::move(pipe);
    m_connection->flush();
}

void WaylandClipboardReader::hintRead()
{
    if (isSecretHint(m_hint)) {
        finish({QString(), true});
    } else {
        readText();
    }
}

void WaylandClipboardReader::textRead()
{
    // Decoded a piece at a time as it came, so that a large text costs no long step at its end. Bytes that
    // are no UTF-8 are what the source gave; they become replacement characters.
    finish({m_text.take(), false});
}

void WaylandClipboardReader::finish(ClipboardContent content)
{
    // The same text copied again keeps the old string, which the last capture shares, so the capture's
    // compare stays free instead of running over the whole text on every tick.
    if (content.secret != m_content.secret || content.text != m_content.text) {
        m_content = std::move(content);
    }
    m_state = State::Ready;
    notifyChange();
}

void WaylandClipboardReader::fail(const QString& reason)
{
    m_pipe.reset();
    m_state = State::Failed;
    m_failure = reason;
    m_retry.start();
    notifyChange();
}

void WaylandClipboardReader::stop(const QString& reason)
{
    m_pipe.reset();
    m_retry.stop();
    m_offer.reset();
    m_state = State::Failed;
    m_failure = reason;
    notifyChange();
}

} // namespace vardelo
