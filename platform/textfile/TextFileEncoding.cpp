#include "platform/textfile/TextFileEncoding.h"

#include <algorithm>
#include <array>
#include <optional>
#include <utility>

#include <QStringEncoder>

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

namespace {

/// Gathers encoded bytes and hands them on a megabyte at a time.
class ByteBuffer final
{
public:
    explicit ByteBuffer(const std::function<bool(QByteArrayView)>& write)
        : m_bytes(PieceLength, Qt::Uninitialized)
        , m_write(write)
    { }

    bool flush()
    {
        const bool written = m_used == 0 || m_write(QByteArrayView(m_bytes.constData(), m_used));
        m_used = 0;
        return written;
    }
    char* end() { return m_bytes.data() + m_used; }
    void grewTo(char* end) { m_used = end - m_bytes.data(); }
    qsizetype room() const { return m_bytes.size() - m_used; }

private:
    QByteArray m_bytes;
    qsizetype m_used = 0;
    const std::function<bool(QByteArrayView)>& m_write;
};

enum class Outcome
{
    Written,
    DoesNotFit,
    Failed,
};

Outcome writeWindows1251(const TextPieces& pieces, const std::function<bool(QByteArrayView)>& write)
{
    const std::array<unsigned char, 0x10000>& reverse = reverseTable();
    ByteBuffer buffer(write);
    Outcome outcome = Outcome::Written;
    pieces([&](QStringView piece) {
        while (!piece.isEmpty()) {
            if (buffer.room() == 0 && !buffer.flush()) {
                outcome = Outcome::Failed;
                return false;
            }
            const QStringView part = piece.first(std::min(piece.size(), buffer.room()));
            char* out = buffer.end();
            for (const QChar c : part) {
                const char16_t unit = c.unicode();
                const unsigned char byte = unit < 0x80 ? static_cast<unsigned char>(unit) : reverse[unit];
                if (byte == 0 && unit != 0) {
                    outcome = Outcome::DoesNotFit;
                    return false;
                }
                *out++ = static_cast<char>(byte);
            }
            buffer.grewTo(out);
            piece = piece.sliced(part.size());
        }
        return true;
    });
    if (outcome == Outcome::Written && !buffer.flush()) {
        outcome = Outcome::Failed;
    }
    return outcome;
}

bool writeUtf8(const TextPieces& pieces, const std::function<bool(QByteArrayView)>& write)
{
    ByteBuffer buffer(write);
    QStringEncoder encoder(QStringEncoder::Utf8, QStringConverter::Flag::Stateless);
    bool written = true;
    const auto encode = [&](QStringView text) {
        while (written && !text.isEmpty()) {
            written = buffer.room() >= 12 || buffer.flush();
            // Three bytes at most a unit, so a third of the room always fits; a surrogate pair stays whole.
            qsizetype length = std::min(text.size(), buffer.room() / 3 - 1);
            if (length < text.size() && text[length - 1].isHighSurrogate()) {
                ++length;
            }
            buffer.grewTo(encoder.appendToBuffer(buffer.end(), text.first(length)));
            text = text.sliced(length);
        }
    };
    encode(u"\uFEFF");
    // A surrogate pair that two pieces split is put together again.
    std::optional<QChar> high;
    pieces([&](QStringView piece) {
        if (high) {
            const bool pair = !piece.isEmpty() && piece.front().isLowSurrogate();
            const std::array<QChar, 2> joined {*std::exchange(high, std::nullopt), pair ? piece.front() : QChar()};
            encode(QStringView(joined.data(), pair ? 2 : 1));
            piece = piece.sliced(pair ? 1 : 0);
        }
        if (!piece.isEmpty() && piece.back().isHighSurrogate()) {
            high = piece.back();
            piece.chop(1);
        }
        encode(piece);
        return written;
    });
    if (high) {
        encode(QStringView(&*high, 1));
    }
    return written && buffer.flush();
}

} // namespace

std::optional<TextFileEncoding> writeEncoded(
    const TextPieces& pieces, const std::function<bool(QByteArrayView)>& write, const std::function<bool()>& restart)
{
    switch (writeWindows1251(pieces, write)) {
    case Outcome::Written:
        return TextFileEncoding::Windows1251;
    case Outcome::Failed:
        return std::nullopt;
    case Outcome::DoesNotFit:
        break;
    }
    if (!restart() || !writeUtf8(pieces, write)) {
        return std::nullopt;
    }
    return TextFileEncoding::Utf8WithBom;
}

} // namespace vardelo
