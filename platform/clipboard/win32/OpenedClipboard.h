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

    enum class TextRead
    {
        Read,
        /// Its owner did not hand the text over.
        NotHandedOver,
        /// The text's memory block is larger than was asked for; it was not read.
        TooLarge,
    };
    /// Reads the text exactly as its owner gave it into `text`, if its block is no larger than maxBytes.
    TextRead text(std::size_t maxBytes, std::u16string& text) const;

private:
    bool m_open = false;
    DWORD m_error = 0;
};

} // namespace vardelo
