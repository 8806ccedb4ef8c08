#pragma once

#include <optional>

#include <QByteArray>
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

/// A piece of text in the chosen encoding, without the byte-order mark.
[[nodiscard]] QByteArray encodePiece(QStringView piece, TextFileEncoding encoding);

} // namespace vardelo
