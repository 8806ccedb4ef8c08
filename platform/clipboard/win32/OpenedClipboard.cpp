#include "platform/clipboard/win32/OpenedClipboard.h"

#include "platform/clipboard/win32/UnicodeTextBlock.h"

namespace vardelo {

namespace {

/// A global memory block locked for reading while this lives.
class LockedBlock final
{
public:
    explicit LockedBlock(HANDLE handle)
        : m_handle(handle)
        , m_data(handle != nullptr ? ::GlobalLock(handle) : nullptr)
        , m_size(m_data != nullptr ? ::GlobalSize(handle) : 0)
    { }
    ~LockedBlock()
    {
        if (m_data != nullptr) {
            ::GlobalUnlock(m_handle);
        }
    }
    LockedBlock(const LockedBlock&) = delete;
    LockedBlock& operator=(const LockedBlock&) = delete;

    const void* data() const { return m_data; }
    std::size_t size() const { return m_size; }

private:
    HANDLE m_handle;
    const void* m_data;
    std::size_t m_size;
};

UINT registeredFormat(const wchar_t* name)
{
    return ::RegisterClipboardFormatW(name);
}

} // namespace

OpenedClipboard::OpenedClipboard(HWND window)
    : m_open(::OpenClipboard(window) != FALSE)
    , m_error(m_open ? 0 : ::GetLastError())
{ }

OpenedClipboard::~OpenedClipboard()
{
    if (m_open) {
        ::CloseClipboard();
    }
}

DWORD OpenedClipboard::sequenceNumber()
{
    return ::GetClipboardSequenceNumber();
}

bool OpenedClipboard::hasFormat(const wchar_t* name) const
{
    const UINT format = registeredFormat(name);
    return format != 0 && ::IsClipboardFormatAvailable(format) != FALSE;
}

std::optional<std::string> OpenedClipboard::formatBytes(const wchar_t* name) const
{
    const UINT format = registeredFormat(name);
    if (format == 0 || ::IsClipboardFormatAvailable(format) == FALSE) {
        return std::nullopt;
    }
    const LockedBlock block(::GetClipboardData(format));
    if (block.data() == nullptr) {
        return std::nullopt;
    }
    return std::string(static_cast<const char*>(block.data()), block.size());
}

bool OpenedClipboard::hasText() const
{
    return ::IsClipboardFormatAvailable(CF_UNICODETEXT) != FALSE;
}

OpenedClipboard::TextRead OpenedClipboard::text(std::size_t maxBytes, std::u16string& text) const
{
    const LockedBlock block(::GetClipboardData(CF_UNICODETEXT));
    if (block.data() == nullptr) {
        return TextRead::NotHandedOver;
    }
    if (block.size() > maxBytes) {
        return TextRead::TooLarge;
    }
    text = unicodeTextOfBlock(block.data(), block.size());
    return TextRead::Read;
}

} // namespace vardelo
