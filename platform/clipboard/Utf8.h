#pragma once

#include <QByteArrayView>
#include <QString>

namespace vardelo {

/// Decodes UTF-8 exactly: as QString::fromUtf8 does, bytes that are no UTF-8 becoming replacement characters,
/// except that a U+FEFF at the start is kept. fromUtf8 takes it for a byte-order mark and drops it, but in a
/// copied text it is a character of the text like any other.
[[nodiscard]] QString decodeUtf8(QByteArrayView bytes);

} // namespace vardelo
