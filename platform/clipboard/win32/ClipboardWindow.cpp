#include "platform/clipboard/win32/ClipboardWindow.h"

namespace vardelo {

namespace {

constexpr wchar_t WindowClass[] = L"VardeloClipboardWindow";

/// Registers the window class once for the whole process; later windows reuse it.
bool registerWindowClass(WNDPROC procedure)
{
    WNDCLASSEXW windowClass {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.lpszClassName = WindowClass;
    return ::RegisterClassExW(&windowClass) != 0 || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

} // namespace

ClipboardWindow::ClipboardWindow(std::function<void()> onChange)
    : m_onChange(std::move(onChange))
{
    if (!registerWindowClass(&ClipboardWindow::windowProcedure)) {
        m_error = ::GetLastError();
        return;
    }
    m_window = ::CreateWindowExW(0, WindowClass, L"Vardelo clipboard", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
        ::GetModuleHandleW(nullptr), nullptr);
    if (m_window == nullptr) {
        m_error = ::GetLastError();
        return;
    }
    ::SetWindowLongPtrW(m_window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    m_listening = ::AddClipboardFormatListener(m_window) != FALSE;
    if (!m_listening) {
        m_error = ::GetLastError();
    }
}

ClipboardWindow::~ClipboardWindow()
{
    if (m_window != nullptr) {
        if (m_listening) {
            ::RemoveClipboardFormatListener(m_window);
        }
        ::SetWindowLongPtrW(m_window, GWLP_USERDATA, 0);
        ::DestroyWindow(m_window);
    }
}

LRESULT CALLBACK ClipboardWindow::windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_CLIPBOARDUPDATE) {
        auto* self = reinterpret_cast<ClipboardWindow*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
        if (self != nullptr && self->m_onChange) {
            self->m_onChange();
        }
        return 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

} // namespace vardelo
