#include "platform/clipboard/wayland/WaylandClipboardReader.h"

#include <algorithm>
#include <array>
#include <optional>
#include <utility>

#include "platform/clipboard/SecretMark.h"
#include "platform/clipboard/wayland/DataControlDevice.h"
#include "platform/clipboard/wayland/PipeReader.h"
#include "platform/clipboard/wayland/WaylandConnection.h"

namespace vardelo {

namespace {

using namespace std::chrono_literals;

constexpr auto RetryInterval = 500ms;
/// A password managers' mark longer than this is no "secret" nor anything else; it counts as set.
constexpr qsizetype MaxHintBytes = 64 * 1024;

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
    m_decoding.setSingleShot(true);
    m_decoding.setInterval(0);
    connect(&m_decoding, &QTimer::timeout, this, &WaylandClipboardReader::decodeSome);
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
    m_decoding.stop();
    m_bytes.clear();
    m_decoder.clear();
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
            *hint,
            [this](QByteArrayView piece) {
                if (m_hint.size() + piece.size() > MaxHintBytes) {
                    finish({QString(), true});
                    return false;
                }
                m_hint += piece;
                return true;
            },
            &WaylandClipboardReader::hintRead);
    } else {
        readText();
    }
}

void WaylandClipboardReader::readText()
{
    for (const char* wanted : TextTypes) {
        if (const std::optional<QByteArray> type = offered(m_offer->mimeTypes(), wanted)) {
            m_bytes.clear();
            receive(
                *type,
                [this](QByteArrayView piece) {
                    if (m_bytes.size() + piece.size() > MaxClipboardBytes) {
                        tooLarge();
                        return false;
                    }
                    m_bytes.append(piece);
                    return true;
                },
                &WaylandClipboardReader::textRead);
            return;
        }
    }
    finish({});
}

void WaylandClipboardReader::receive(
    const QByteArray& mimeType, std::function<bool(QByteArrayView)> received, void (WaylandClipboardReader::*then)())
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
    // Kept as bytes until now, so that a source that never stops costs one byte a byte until the limit, not
    // the two of a decoded character; decoded a slice a turn, so that a large text costs no long step.
    m_decoder.start(std::exchange(m_bytes, ChunkedBytes()), SlicedTextDecoder::Encoding::Utf8);
    decodeSome();
}

void WaylandClipboardReader::decodeSome()
{
    if (!m_decoder.decodeSome()) {
        m_decoding.start();
        return;
    }
    // Bytes that are no UTF-8 are what the source gave; they become replacement characters.
    finish({m_decoder.take(), false});
}

void WaylandClipboardReader::tooLarge()
{
    // The pipe reader closes the pipe; the source stops writing, and nothing more is read until a new copy.
    m_bytes.clear();
    m_state = State::Failed;
    m_failure = tooLargeToRead();
    notifyChange();
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
    m_bytes.clear();
    m_state = State::Failed;
    m_failure = reason;
    m_retry.start();
    notifyChange();
}

void WaylandClipboardReader::stop(const QString& reason)
{
    m_pipe.reset();
    m_retry.stop();
    m_decoding.stop();
    m_bytes.clear();
    m_decoder.clear();
    m_offer.reset();
    m_state = State::Failed;
    m_failure = reason;
    notifyChange();
}

} // namespace vardelo
