#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace vardelo {

/// Builds a text from UTF-8 that arrives in pieces, decoding each piece as it comes, so that no single step
/// decodes the whole of a large text. The result is what decodeUtf8 makes of all the bytes at once.
class Utf8TextBuilder final
{
public:
    /// Decodes a piece; a character it cuts short waits for the next one.
    void add(QByteArrayView piece);
    /// The text so far, with a character cut short at the end decoded as it stands; the builder starts over.
    [[nodiscard]] QString take();
    /// Makes room for a text of this many characters.
    void reserve(qsizetype characters) { m_text.reserve(characters); }
    /// The characters it has room for.
    qsizetype capacity() const { return m_text.capacity(); }

private:
    QString m_text;
    /// The start of a character whose remaining bytes are still to come.
    QByteArray m_partial;
};

} // namespace vardelo
