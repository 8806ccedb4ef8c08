#pragma once

#include <windows.h>

#include "platform/clipboard/win32/ClipboardAccess.h"

namespace vardelo {

/// The Win32 clipboard, opened for reading by one of the program's windows: it can then not be taken from
/// the program that holds it open, as it could by a read with no window. While it is open no other program
/// can change it, so everything read between open() and close() belongs together.
class OpenedClipboard final : public ClipboardAccess
{
public:
    explicit OpenedClipboard(HWND window)
        : m_window(window)
    { }

    std::uint32_t sequenceNumber() const override;
    bool open() override;
    void close() override;
    bool isSecret() const override;
    bool hasText() const override;
    std::optional<std::size_t> textBlockBytes() const override;
    std::optional<QString> text() const override;

private:
    bool hasFormat(const wchar_t* name) const;
    /// The first bytes of the registered format of this name, at most maxBytes; nothing when it is not there or
    /// cannot be read.
    std::optional<QByteArray> formatBytes(const wchar_t* name, std::size_t maxBytes) const;

    const HWND m_window;
};

} // namespace vardelo
