#include "platform/clipboard/win32/UnicodeTextBlock.h"

#include <cstring>

namespace vardelo {

QString unicodeTextOfBlock(const void* block, std::size_t blockBytes)
{
    if (block == nullptr) {
        return {};
    }
    // Read byte-wise: the block need not be aligned for char16_t.
    const auto* bytes = static_cast<const unsigned char*>(block);
    const std::size_t units = blockBytes / sizeof(char16_t);
    std::size_t length = 0;
    while (length < units && (bytes[2 * length] != 0 || bytes[2 * length + 1] != 0)) {
        ++length;
    }
    QString text(qsizetype(length), Qt::Uninitialized);
    std::memcpy(text.data(), bytes, length * sizeof(char16_t));
    return text;
}

} // namespace vardelo
