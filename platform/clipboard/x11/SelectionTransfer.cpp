#include "platform/clipboard/x11/SelectionTransfer.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "platform/clipboard/ClipboardReader.h"
#include "platform/clipboard/SecretMark.h"
#include "platform/clipboard/Utf8.h"

namespace vardelo {

namespace {

constexpr char Escape = '\x1b';

/// A whole answer, copied out of the server's reply in pieces that can be freed one by one as they are decoded.
ChunkedBytes inPieces(QByteArrayView bytes)
{
    constexpr qsizetype Piece = 4 * 1024 * 1024;
    ChunkedBytes pieces;
    for (qsizetype at = 0; at < bytes.size(); at += Piece) {
        pieces.append(bytes.sliced(at, std::min(Piece, bytes.size() - at)));
    }
    return pieces;
}

/// Compound text in the states that carry Latin-1 (the initial one) and UTF-8 (ESC % G ... ESC % @).
/// Other character sets are refused rather than shown wrongly.
std::optional<QString> decodeCompoundText(QByteArrayView bytes)
{
    QString text;
    qsizetype i = 0;
    while (i < bytes.size()) {
        if (bytes[i] != Escape) {
            qsizetype end = bytes.indexOf(Escape, i);
            if (end == -1) {
                end = bytes.size();
            }
            text += QString::fromLatin1(bytes.sliced(i, end - i));
            i = end;
            continue;
        }
        const QByteArrayView sequence = bytes.sliced(i).first(std::min<qsizetype>(3, bytes.size() - i));
        if (sequence == "\x1b%G") {
            const qsizetype start = i + 3;
            qsizetype end = bytes.indexOf(QByteArrayView("\x1b%@"), start);
            if (end == -1) {
                end = bytes.size();
            }
            text += decodeUtf8(bytes.sliced(start, end - start));
            i = std::min(end + 3, bytes.size());
        } else if (sequence == "\x1b-A" || sequence == "\x1b(B") {
            i += 3; // back to the initial Latin-1 halves
        } else {
            return std::nullopt;
        }
    }
    return text;
}

} // namespace

std::optional<QString> decodeSelectionText(const SelectionAtoms& atoms, std::uint32_t type, QByteArrayView bytes)
{
    if (type == 0) {
        return std::nullopt;
    }
    if (type == atoms.utf8String) {
        return decodeUtf8(bytes);
    }
    if (type == atoms.string) {
        return QString::fromLatin1(bytes);
    }
    if (type == atoms.compoundText) {
        return decodeCompoundText(bytes);
    }
    return std::nullopt;
}

SelectionTransfer::SelectionTransfer(const SelectionAtoms& atoms)
    : m_atoms(atoms)
{ }

SelectionTransfer::Step SelectionTransfer::start()
{
    m_undecodable = false;
    m_listed = false;
    m_secret = false;
    m_text = QString();
    forgetChunks();
    m_decoder.clear();
    m_targets.clear();
    for (const std::uint32_t target : {m_atoms.utf8String, m_atoms.string, m_atoms.text, m_atoms.compoundText}) {
        if (target != 0) {
            m_targets.push_back(target);
        }
    }
    if (m_atoms.targets == 0) {
        return m_step = askForText();
    }
    m_phase = Phase::Targets;
    return m_step = Step::Convert;
}

SelectionTransfer::Step SelectionTransfer::retry()
{
    if (m_step == Step::Finished || m_step == Step::Undecodable || m_step == Step::TooLarge || m_step == Step::Decode) {
        return m_step;
    }
    if (m_step == Step::Refused) {
        m_targetIndex = 0;
    }
    forgetChunks();
    return m_step = Step::Convert;
}

std::uint32_t SelectionTransfer::target() const
{
    switch (m_phase) {
    case Phase::Targets:
        return m_atoms.targets;
    case Phase::Mark:
        return m_atoms.passwordHint;
    case Phase::Text:
        break;
    }
    return m_targetIndex < m_targets.size() ? m_targets[m_targetIndex] : 0;
}

SelectionTransfer::Step SelectionTransfer::conversionAnswered(bool withProperty)
{
    if (m_step != Step::Convert) {
        return m_step;
    }
    if (withProperty) {
        return m_step = Step::ReadProperty;
    }
    switch (m_phase) {
    case Phase::Targets:
        return m_step = askForText();
    case Phase::Mark:
        // An owner that offers the mark and then withholds it may hold a password all the same.
        return m_step = finish(QString(), true);
    case Phase::Text:
        break;
    }
    return m_step = nextTarget();
}

SelectionTransfer::Step SelectionTransfer::propertyRead(std::uint32_t type, std::uint8_t format, QByteArrayView bytes)
{
    if (m_step != Step::ReadProperty) {
        return m_step;
    }
    if (!m_chunked) {
        if (bytes.size() > MaxClipboardBytes) {
            return m_step = Step::TooLarge;
        }
        if (type != 0 && type == m_atoms.incr) {
            // The size an INCR owner announces is only a lower bound, and the chunks are kept in pieces that are
            // decoded and freed one by one, so it is not needed.
            m_chunked = true;
            m_bytes.clear();
            // Reading the INCR property deleted it, which tells the owner to send the first chunk; the notice
            // of that chunk may already have been seen.
            if (m_chunkWaiting) {
                m_chunkWaiting = false;
                return m_step = Step::ReadProperty;
            }
            return m_step = Step::WaitForChunk;
        }
        return m_step = answered(type, format, inPieces(bytes));
    }

    if (m_chunkType == 0) {
        m_chunkType = type;
        m_chunkFormat = format;
    }
    if (type == 0 || type != m_chunkType || format != m_chunkFormat) {
        return m_step = Step::BrokenOff;
    }
    if (bytes.isEmpty()) {
        ChunkedBytes whole = std::exchange(m_bytes, ChunkedBytes());
        const std::uint32_t wholeType = m_chunkType;
        const std::uint8_t wholeFormat = m_chunkFormat;
        forgetChunks();
        return m_step = answered(wholeType, wholeFormat, std::move(whole));
    }
    if (m_bytes.size() + bytes.size() > MaxClipboardBytes) {
        // The owner is left waiting for the chunk's deletion, which stops it sending.
        m_bytes.clear();
        m_chunkWaiting = false;
        return m_step = Step::TooLarge;
    }
    m_bytes.append(bytes);
    if (m_chunkWaiting) {
        m_chunkWaiting = false;
        return m_step = Step::ReadProperty;
    }
    return m_step = Step::WaitForChunk;
}

SelectionTransfer::Step SelectionTransfer::chunkAnnounced()
{
    if (m_step == Step::WaitForChunk) {
        return m_step = Step::ReadProperty;
    }
    if (m_step == Step::ReadProperty) {
        m_chunkWaiting = true;
    }
    return m_step;
}

SelectionTransfer::Step SelectionTransfer::decodeSome()
{
    if (m_step != Step::Decode) {
        return m_step;
    }
    return m_step = m_decoder.decodeSome() ? finish(m_decoder.take()) : Step::Decode;
}

SelectionTransfer::Step SelectionTransfer::answered(std::uint32_t type, std::uint8_t format, ChunkedBytes bytes)
{
    switch (m_phase) {
    case Phase::Targets:
        return targetsAnswered(type, format, bytes.takeAll());
    case Phase::Mark:
        // A mark that cannot be read counts as set, as a withheld one does.
        return type != 0 && format == 8 && !isSecretHint(bytes.takeAll()) ? askForText() : finish(QString(), true);
    case Phase::Text:
        break;
    }
    return textAnswered(type, format, std::move(bytes));
}

SelectionTransfer::Step SelectionTransfer::targetsAnswered(
    std::uint32_t type, std::uint8_t format, QByteArrayView bytes)
{
    // Some owners give the list the type TARGETS; anything else is no list, and every text target is tried.
    if ((type != m_atoms.atom && type != m_atoms.targets) || format != 32) {
        return askForText();
    }
    std::vector<std::uint32_t> offered(static_cast<std::size_t>(bytes.size()) / sizeof(std::uint32_t));
    std::memcpy(offered.data(), bytes.data(), offered.size() * sizeof(std::uint32_t));
    const auto isOffered
        = [&](std::uint32_t target) { return std::find(offered.begin(), offered.end(), target) != offered.end(); };
    std::erase_if(m_targets, [&](std::uint32_t target) { return !isOffered(target); });
    m_listed = true;
    if (m_atoms.passwordHint != 0 && isOffered(m_atoms.passwordHint)) {
        m_phase = Phase::Mark;
        return Step::Convert;
    }
    return askForText();
}

SelectionTransfer::Step SelectionTransfer::textAnswered(std::uint32_t type, std::uint8_t format, ChunkedBytes bytes)
{
    if (type != 0 && format == 8) {
        // More than a slice is decoded a slice a turn; compound text, rare and of several parts, at once.
        if ((type == m_atoms.utf8String || type == m_atoms.string) && bytes.size() > SlicedTextDecoder::SliceBytes) {
            m_decoder.start(std::move(bytes),
                type == m_atoms.utf8String ? SlicedTextDecoder::Encoding::Utf8 : SlicedTextDecoder::Encoding::Latin1);
            return Step::Decode;
        }
        if (const std::optional<QString> text = decodeSelectionText(m_atoms, type, bytes.takeAll())) {
            return finish(*text);
        }
        // Of the text types only compound text can hold what the decoder does not know; other types are
        // no text at all, as when the owner refuses.
        m_undecodable = m_undecodable || type == m_atoms.compoundText;
    }
    return nextTarget();
}

SelectionTransfer::Step SelectionTransfer::askForText()
{
    m_phase = Phase::Text;
    m_targetIndex = 0;
    return m_targets.empty() ? finish(QString()) : Step::Convert;
}

SelectionTransfer::Step SelectionTransfer::nextTarget()
{
    forgetChunks();
    if (++m_targetIndex < m_targets.size()) {
        return Step::Convert;
    }
    // Text the owner has but this program cannot decode, or offers and then refuses, is no empty clipboard.
    if (m_undecodable) {
        return Step::Undecodable;
    }
    return m_listed ? Step::Refused : finish(QString());
}

SelectionTransfer::Step SelectionTransfer::finish(const QString& text, bool secret)
{
    m_text = text;
    m_secret = secret;
    return Step::Finished;
}

void SelectionTransfer::forgetChunks()
{
    m_chunked = false;
    m_chunkWaiting = false;
    m_chunkType = 0;
    m_chunkFormat = 0;
    m_bytes.clear();
}

} // namespace vardelo
