#pragma once

#include <functional>

#include <windows.h>

namespace vardelo {

/// A message-only window of the program's own that Windows tells of every clipboard change
/// (WM_CLIPBOARDUPDATE), and that opens the clipboard for reading: opened with no window, the clipboard
/// could be taken from the program that holds it open.
class ClipboardWindow final
{
public:
    /// onChange runs on the thread's message loop each time the clipboard may hold something new.
    explicit ClipboardWindow(std::function<void()> onChange);
    ~ClipboardWindow();
    ClipboardWindow(const ClipboardWindow&) = delete;
    ClipboardWindow& operator=(const ClipboardWindow&) = delete;

    /// The window, or nullptr when it could not be made; then error() says why.
    HWND handle() const { return m_window; }
    /// Whether Windows tells this window of clipboard changes.
    bool listening() const { return m_listening; }
    /// The system error of a failed start, 0 after a good one.
    DWORD error() const { return m_error; }

private:
    static LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    std::function<void()> m_onChange;
    HWND m_window = nullptr;
    bool m_listening = false;
    DWORD m_error = 0;
};

} // namespace vardelo
