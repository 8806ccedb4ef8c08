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

/// Hands a text to piece, a stretch at a time and in order, as long as piece returns true.
using TextPieces = std::function<void(const std::function<bool(QStringView)>& piece)>;

/// Hands the text that pieces gives to write, encoded a stretch at a time so that it is never held whole in
/// another form: as Windows-1251 while every character fits, so that files stay readable by the programs
/// that expect it, and, from the first character that does not, afresh as UTF-8 with a byte-order mark once
/// restart() has emptied what was written. Says which encoding it wrote, or nothing when write or restart
/// failed; pieces is walked once, or twice for UTF-8.
[[nodiscard]] std::optional<TextFileEncoding> writeEncoded(
    const TextPieces& pieces, const std::function<bool(QByteArrayView)>& write, const std::function<bool()>& restart);

} // namespace vardelo
