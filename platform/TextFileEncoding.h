#pragma once

#include <functional>
#include <optional>

#include <QByteArray>
#include <QByteArrayView>
#include <QStringView>

namespace vardelo {

/// The document in the Windows-1251 code page, or nothing when some character has no place there.
[[nodiscard]] std::optional<QByteArray> encodeWindows1251(QStringView text);

/// How a saved text file is written.
enum class TextFileEncoding
{
    Windows1251,
    /// For text that Windows-1251 cannot hold: writing "?" would lose what the user collected.
    Utf8WithBom,
};

/// Windows-1251 whenever every character fits, so files stay readable by the programs that expect it;
/// otherwise UTF-8 with a byte-order mark.
[[nodiscard]] TextFileEncoding chooseEncoding(QStringView text);

/// Hands the text to write in the chosen encoding, the byte-order mark first where there is one, a piece
/// at a time so that a large collection is never held twice in memory. Stops at the first piece that
/// write refuses and says whether every piece went.
[[nodiscard]] bool writeEncoded(
    QStringView text, TextFileEncoding encoding, const std::function<bool(QByteArrayView)>& write);

} // namespace vardelo
