#include "platform/clipboard/win32/OpenedClipboard.h"

#include <algorithm>
#include <string>

#include <QByteArray>

#include "platform/clipboard/SecretMark.h"
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

std::wstring formatName(const char* name)
{
    return QString::fromLatin1(name).toStdWString();
}

} // namespace

std::uint32_t OpenedClipboard::sequenceNumber() const
{
    return ::GetClipboardSequenceNumber();
}

bool OpenedClipboard::open()
{
    return ::OpenClipboard(m_window) != FALSE;
}

void OpenedClipboard::close()
{
    ::CloseClipboard();
}

bool OpenedClipboard::isSecret() const
{
    // Password managers keep what they copy from clipboard tools in one of these ways.
    for (const char* exclusion : WindowsMonitorExclusions) {
        if (hasFormat(formatName(exclusion).c_str())) {
            return true;
        }
    }
    // A DWORD; a larger block is read no further than that.
    const std::optional<QByteArray> history = formatBytes(formatName(WindowsHistoryPermission).c_str(), 4);
    return history && isHistoryRefusal(*history);
}

bool OpenedClipboard::hasText() const
{
    return ::IsClipboardFormatAvailable(CF_UNICODETEXT) != FALSE;
}

std::optional<std::size_t> OpenedClipboard::textBlockBytes() const
{
    const HANDLE handle = ::GetClipboardData(CF_UNICODETEXT);
    if (handle == nullptr) {
        return std::nullopt;
    }
    return ::GlobalSize(handle);
}

std::optional<QString> OpenedClipboard::text() const
{
    const LockedBlock block(::GetClipboardData(CF_UNICODETEXT));
    if (block.data() == nullptr) {
        return std::nullopt;
    }
    return unicodeTextOfBlock(block.data(), block.size());
}

bool OpenedClipboard::hasFormat(const wchar_t* name) const
{
    const UINT format = ::RegisterClipboardFormatW(name);
    return format != 0 && ::IsClipboardFormatAvailable(format) != FALSE;
}

std::optional<QByteArray> OpenedClipboard::formatBytes(const wchar_t* name, std::size_t maxBytes) const
{
    const UINT format = ::RegisterClipboardFormatW(name);
    if (format == 0 || ::IsClipboardFormatAvailable(format) == FALSE) {
        return std::nullopt;
    }
    const LockedBlock block(::GetClipboardData(format));
    if (block.data() == nullptr) {
        return std::nullopt;
    }
    return QByteArray(static_cast<const char*>(block.data()), qsizetype(std::min(block.size(), maxBytes)));
}

} // namespace vardelo
