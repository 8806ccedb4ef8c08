#include "platform/TextFileEncoding.h"

#include <algorithm>
#include <array>

namespace vardelo {

namespace {

constexpr qsizetype PieceLength = 1024 * 1024;

/// The characters of bytes 0x80 to 0xFF; 0x98 has none.
constexpr std::array<char16_t, 128> UpperHalf {u'\u0402', u'\u0403', u'\u201A', u'\u0453', u'\u201E', u'\u2026',
    u'\u2020', u'\u2021', // 80
    u'\u20AC', u'\u2030', u'\u0409', u'\u2039', u'\u040A', u'\u040C', u'\u040B', u'\u040F', // 88
    u'\u0452', u'\u2018', u'\u2019', u'\u201C', u'\u201D', u'\u2022', u'\u2013', u'\u2014', // 90
    u'\0', u'\u2122', u'\u0459', u'\u203A', u'\u045A', u'\u045C', u'\u045B', u'\u045F', // 98
    u'\u00A0', u'\u040E', u'\u045E', u'\u0408', u'\u00A4', u'\u0490', u'\u00A6', u'\u00A7', // A0
    u'\u0401', u'\u00A9', u'\u0404', u'\u00AB', u'\u00AC', u'\u00AD', u'\u00AE', u'\u0407', // A8
    u'\u00B0', u'\u00B1', u'\u0406', u'\u0456', u'\u0491', u'\u00B5', u'\u00B6', u'\u00B7', // B0
    u'\u0451', u'\u2116', u'\u0454', u'\u00BB', u'\u0458', u'\u0405', u'\u0455', u'\u0457', // B8
    // C0 to FF: А to я, in order.
    u'\u0410', u'\u0411', u'\u0412', u'\u0413', u'\u0414', u'\u0415', u'\u0416', u'\u0417', u'\u0418', u'\u0419',
    u'\u041A', u'\u041B', u'\u041C', u'\u041D', u'\u041E', u'\u041F', u'\u0420', u'\u0421', u'\u0422', u'\u0423',
    u'\u0424', u'\u0425', u'\u0426', u'\u0427', u'\u0428', u'\u0429', u'\u042A', u'\u042B', u'\u042C', u'\u042D',
    u'\u042E', u'\u042F', u'\u0430', u'\u0431', u'\u0432', u'\u0433', u'\u0434', u'\u0435', u'\u0436', u'\u0437',
    u'\u0438', u'\u0439', u'\u043A', u'\u043B', u'\u043C', u'\u043D', u'\u043E', u'\u043F', u'\u0440', u'\u0441',
    u'\u0442', u'\u0443', u'\u0444', u'\u0445', u'\u0446', u'\u0447', u'\u0448', u'\u0449', u'\u044A', u'\u044B',
    u'\u044C', u'\u044D', u'\u044E', u'\u044F'};

/// The byte for a character, 0 when it has none (NUL itself is handled before).
std::array<unsigned char, 0x10000> makeReverseTable()
{
    std::array<unsigned char, 0x10000> reverse {};
    for (std::size_t i = 0; i < UpperHalf.size(); ++i) {
        if (UpperHalf[i] != u'\0') {
            reverse[UpperHalf[i]] = static_cast<unsigned char>(0x80 + i);
        }
    }
    return reverse;
}

const std::array<unsigned char, 0x10000>& reverseTable()
{
    static const std::array<unsigned char, 0x10000> reverse = makeReverseTable();
    return reverse;
}

} // namespace

std::optional<QByteArray> encodeWindows1251(QStringView text)
{
    const std::array<unsigned char, 0x10000>& reverse = reverseTable();
    QByteArray bytes(text.size(), Qt::Uninitialized);
    char* out = bytes.data();
    for (const QChar c : text) {
        const char16_t unit = c.unicode();
        if (unit < 0x80) {
            *out++ = static_cast<char>(unit);
        } else if (const unsigned char byte = reverse[unit]; byte != 0) {
            *out++ = static_cast<char>(byte);
        } else {
            return std::nullopt;
        }
    }
    return bytes;
}

TextFileEncoding chooseEncoding(QStringView text)
{
    const std::array<unsigned char, 0x10000>& reverse = reverseTable();
    const bool fits = std::all_of(
        text.begin(), text.end(), [&reverse](QChar c) { return c.unicode() < 0x80 || reverse[c.unicode()] != 0; });
    return fits ? TextFileEncoding::Windows1251 : TextFileEncoding::Utf8WithBom;
}

bool writeEncoded(QStringView text, TextFileEncoding encoding, const std::function<bool(QByteArrayView)>& write)
{
    if (encoding == TextFileEncoding::Utf8WithBom && !write(QByteArrayView("\xEF\xBB\xBF", 3))) {
        return false;
    }
    for (qsizetype from = 0; from < text.size();) {
        qsizetype length = std::min(PieceLength, text.size() - from);
        // A surrogate pair split between pieces would become two broken characters in UTF-8.
        if (from + length < text.size() && text[from + length - 1].isHighSurrogate()) {
            ++length;
        }
        const QStringView piece = text.sliced(from, length);
        const QByteArray bytes = encoding == TextFileEncoding::Windows1251
            ? encodeWindows1251(piece).value_or(QByteArray())
            : piece.toUtf8();
        if (!write(bytes)) {
            return false;
        }
        from += length;
    }
    return true;
}

} // namespace vardelo
