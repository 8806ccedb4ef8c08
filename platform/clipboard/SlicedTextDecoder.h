#pragma once

#include <QByteArray>
#include <QString>

#include "platform/clipboard/ChunkedBytes.h"
#include "platform/clipboard/Utf8TextBuilder.h"

namespace vardelo {

/// Decodes a clipboard text's bytes a slice at a time, so that a large text costs the event loop no long step,
/// and lets each piece of the bytes go once it is decoded, so that a read never holds much more than its text.
class SlicedTextDecoder final
{
public:
    enum class Encoding
    {
        /// Exactly, as decodeUtf8() does.
        Utf8,
        Latin1,
    };

    /// What one slice decodes at most: half a megabyte of Cyrillic takes Qt some 3 ms.
    static constexpr qsizetype SliceBytes = 512 * 1024;

    /// Starts on these bytes; whatever was being decoded is dropped.
    void start(ChunkedBytes bytes, Encoding encoding);
    /// Decodes the next slice; true once all the bytes are decoded.
    bool decodeSome();
    /// The text once all is decoded; the decoder is empty afterwards.
    [[nodiscard]] QString take();
    /// Drops the bytes and the text so far, and their memory.
    void clear();
    /// The bytes this holds, undecoded and decoded, with what is kept for them.
    [[nodiscard]] qsizetype heldBytes() const;

private:
    ChunkedBytes m_bytes;
    Encoding m_encoding = Encoding::Utf8;
    /// The piece being decoded, and how much of it is.
    ChunkedBytes::Piece m_piece;
    qsizetype m_offset = 0;
    Utf8TextBuilder m_utf8;
    QString m_latin1;
};

} // namespace vardelo
