#include "platform/clipboard/win32/ClipboardAccess.h"

#include "platform/clipboard/win32/ClipboardSnapshot.h"

namespace vardelo {

namespace {

/// Keeps the clipboard open while it lives.
class Opened final
{
public:
    explicit Opened(ClipboardAccess& clipboard)
        : m_clipboard(clipboard)
        , m_open(clipboard.open())
    { }
    ~Opened()
    {
        if (m_open) {
            m_clipboard.close();
        }
    }
    Opened(const Opened&) = delete;
    Opened& operator=(const Opened&) = delete;

    bool isOpen() const { return m_open; }

private:
    ClipboardAccess& m_clipboard;
    const bool m_open;
};

} // namespace

std::optional<ClipboardSnapshot> readSnapshot(
    ClipboardAccess& clipboard, std::uint32_t& lastSequence, std::size_t maxTextBytes)
{
    if (lastSequence != 0 && clipboard.sequenceNumber() == lastSequence) {
        ClipboardSnapshot unchanged;
        unchanged.unchanged = true;
        return unchanged;
    }
    const Opened opened(clipboard);
    if (!opened.isOpen()) {
        return std::nullopt;
    }
    // Read while the clipboard is open, this number belongs to what is read.
    const std::uint32_t sequence = clipboard.sequenceNumber();
    ClipboardSnapshot snapshot;
    if (clipboard.isSecret()) {
        snapshot.secret = true;
    } else if (clipboard.hasText()) {
        const std::optional<std::size_t> bytes = clipboard.textBlockBytes();
        if (!bytes) {
            return std::nullopt;
        }
        if (*bytes > maxTextBytes) {
            snapshot.tooLarge = true;
        } else if (std::optional<QString> text = clipboard.text()) {
            snapshot.text = std::move(*text);
        } else {
            return std::nullopt;
        }
    }
    lastSequence = sequence;
    return snapshot;
}

} // namespace vardelo
