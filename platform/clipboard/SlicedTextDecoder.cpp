#include "platform/clipboard/SlicedTextDecoder.h"

#include <algorithm>
#include <utility>

namespace vardelo {

void SlicedTextDecoder::start(ChunkedBytes bytes, Encoding encoding)
{
    clear();
    m_encoding = encoding;
    // Never more characters than bytes, so the text is made at its final size at most once.
    (m_encoding == Encoding::Utf8 ? m_utf8.reserve(bytes.size()) : m_latin1.reserve(bytes.size()));
    m_bytes = std::move(bytes);
}

bool SlicedTextDecoder::decodeSome()
{
    if (m_offset == m_piece.size()) {
        m_piece = m_bytes.takePiece();
        m_offset = 0;
    }
    const QByteArrayView slice = m_piece.bytes().sliced(m_offset, std::min(SliceBytes, m_piece.size() - m_offset));
    if (m_encoding == Encoding::Utf8) {
        m_utf8.add(slice);
    } else {
        m_latin1 += QString::fromLatin1(slice);
    }
    m_offset += slice.size();
    if (m_offset == m_piece.size()) {
        m_piece = ChunkedBytes::Piece();
        m_offset = 0;
    }
    return m_piece.size() == 0 && m_bytes.size() == 0;
}

QString SlicedTextDecoder::take()
{
    QString text = m_encoding == Encoding::Utf8 ? m_utf8.take() : std::exchange(m_latin1, {});
    clear();
    return text;
}

void SlicedTextDecoder::clear()
{
    m_bytes.clear();
    m_piece = ChunkedBytes::Piece();
    m_offset = 0;
    m_utf8 = Utf8TextBuilder();
    m_latin1 = QString();
}

qsizetype SlicedTextDecoder::heldBytes() const
{
    return m_bytes.size() + m_piece.capacity() + m_utf8.capacity() * qsizetype(sizeof(QChar))
        + m_latin1.capacity() * qsizetype(sizeof(QChar));
}

} // namespace vardelo
