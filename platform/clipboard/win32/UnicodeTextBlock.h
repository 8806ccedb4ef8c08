#pragma once

#include <cstddef>

#include <QString>

namespace vardelo {

/// The text of a clipboard block in the CF_UNICODETEXT format: its UTF-16 code units up to the first NUL,
/// where Windows texts end, and never past the block's size, which an owner may give without any NUL or
/// with an odd last byte. Nothing else is changed: line ends, byte-order marks and unpaired surrogates stay.
/// It is the one copy of the text the program makes.
[[nodiscard]] QString unicodeTextOfBlock(const void* block, std::size_t blockBytes);

} // namespace vardelo
