#include "platform/clipboard/Utf8TextBuilder.h"

#include <algorithm>
#include <utility>

#include "platform/clipboard/Utf8.h"

namespace vardelo {

namespace {

/// How much of bytes is whole characters: all but a last character that still lacks bytes.
qsizetype wholeCharacters(QByteArrayView bytes)
{
    // A character takes four bytes at most, so its lead byte is among the last three when it lacks any.
    for (qsizetype back = 1; back <= std::min<qsizetype>(3, bytes.size()); ++back) {
        const auto byte = static_cast<unsigned char>(bytes.at(bytes.size() - back));
        if ((byte & 0xC0) == 0x80) {
            continue;
        }
        const qsizetype length = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC0 ? 2 : 1;
        return length > back ? bytes.size() - back : bytes.size();
    }
    return bytes.size();
}

} // namespace

void Utf8TextBuilder::add(QByteArrayView piece)
{
    // A character the last piece cut short is finished by this one, so the two decode together.
    QByteArray joined;
    if (!m_partial.isEmpty()) {
        joined = std::exchange(m_partial, {});
        joined += piece;
        piece = joined;
    }
    const qsizetype whole = wholeCharacters(piece);
    m_text += decodeUtf8(piece.first(whole));
    m_partial = piece.sliced(whole).toByteArray();
}

QString Utf8TextBuilder::take()
{
    m_text += decodeUtf8(std::exchange(m_partial, {}));
    return std::exchange(m_text, {});
}

} // namespace vardelo
