#pragma once

#include <optional>
#include <string>

#include <windows.h>

namespace vardelo {

/// The clipboard opened for reading by one of the program's windows, closed again when this goes. While it
/// is open no other program can change it, so everything read through one OpenedClipboard belongs together.
class OpenedClipboard final
{
public:
    /// Opens the clipboard with this window. It fails, without waiting, while another program holds it open.
    explicit OpenedClipboard(HWND window);
    ~OpenedClipboard();
    OpenedClipboard(const OpenedClipboard&) = delete;
    OpenedClipboard& operator=(const OpenedClipboard&) = delete;

    bool isOpen() const { return m_open; }
    /// The system error of a failed open.
    DWORD error() const { return m_error; }

    /// The clipboard's sequence number: it changes with every change of the clipboard, and cannot while
    /// it is open here.
    static DWORD sequenceNumber();

    /// Whether the clipboard holds the registered format of this name.
    bool hasFormat(const wchar_t* name) const;
    /// The bytes of the registered format of this name, or nothing when it is not there or not readable.
    std::optional<std::string> formatBytes(const wchar_t* name) const;
    /// Whether it holds text: Unicode text, or 8-bit text that Windows converts to Unicode on request.
    bool hasText() const;
    /// The text exactly as its owner gave it, or nothing when its owner did not hand it over.
    std::optional<std::u16string> text() const;

private:
    bool m_open = false;
    DWORD m_error = 0;
};

} // namespace vardelo
