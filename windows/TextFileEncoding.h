#pragma once

#include <optional>

#include <QByteArray>
#include <QStringView>

namespace vardelo {

/// The document in the Windows-1251 code page, or nothing when some character has no place there.
[[nodiscard]] std::optional<QByteArray> encodeWindows1251(QStringView text);

/// The bytes of a saved text file.
struct TextFileContent
{
    QByteArray bytes;
    /// True when the text did not fit Windows-1251 and was written as UTF-8 with a byte-order mark.
    bool utf8 = false;
};

/// Windows-1251 whenever every character fits, so files stay readable by the programs that expect it;
/// otherwise the whole text as UTF-8 with a byte-order mark, because writing "?" would lose what the
/// user collected.
[[nodiscard]] TextFileContent encodeTextFile(QStringView text);

} // namespace vardelo
