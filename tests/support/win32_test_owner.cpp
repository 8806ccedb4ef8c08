// A Windows program that copies to the clipboard the way the Windows tests and benchmark need: a text
// exactly as given (stdin, UTF-8, no line end changed), as 8-bit text, as a password manager's secret or a
// picture only; it can then hold the clipboard open for a while, as clipboard monitors do right after a
// change, and it can copy a numbered series at a pace.
//
// win32_test_owner [--ansi] [--secret exclude|ignore|history] [--picture] [--hold-after-ms MS]
//                  [--series N --interval-ms MS]                            (the text comes from stdin)
// Prints "owning" (with --series, "owning I T" where T is the moment of the copy in microseconds of the
// performance counter) once the copy is on the clipboard; with --hold-after-ms, "holding" once it holds the
// clipboard open again and "released" once it has closed it. Then it exits: its copy stays on the clipboard.

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <iterator>
#include <string>

#include "tests/support/PerformanceClock.h"

namespace {

struct Options
{
    int holdAfterMs = 0;
    bool ansi = false;
    std::string secret;
    bool picture = false;
    int series = 0;
    int intervalMs = 50;
};

HGLOBAL globalCopy(const void* data, std::size_t size)
{
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, size);
    if (memory != nullptr) {
        std::memcpy(GlobalLock(memory), data, size);
        GlobalUnlock(memory);
    }
    return memory;
}

std::wstring utf16(const std::string& utf8)
{
    if (utf8.empty()) {
        return {};
    }
    const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), nullptr, 0);
    std::wstring text(std::size_t(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), text.data(), length);
    return text;
}

/// A 1 x 1 white picture, the only thing on the clipboard when a user copies an image.
bool putPicture()
{
    struct
    {
        BITMAPINFOHEADER header;
        DWORD pixel;
    } dib {};
    dib.header.biSize = sizeof dib.header;
    dib.header.biWidth = 1;
    dib.header.biHeight = 1;
    dib.header.biPlanes = 1;
    dib.header.biBitCount = 32;
    dib.header.biCompression = BI_RGB;
    dib.pixel = 0x00ffffff;
    return SetClipboardData(CF_DIB, globalCopy(&dib, sizeof dib)) != nullptr;
}

bool putText(const std::string& bytes, const Options& options)
{
    if (options.ansi) {
        return SetClipboardData(CF_TEXT, globalCopy(bytes.c_str(), bytes.size() + 1)) != nullptr;
    }
    const std::wstring text = utf16(bytes);
    return SetClipboardData(CF_UNICODETEXT, globalCopy(text.c_str(), (text.size() + 1) * sizeof(wchar_t))) != nullptr;
}

bool putSecretMark(const std::string& kind)
{
    if (kind == "exclude" || kind == "ignore") {
        const UINT format = RegisterClipboardFormatW(
            kind == "exclude" ? L"ExcludeClipboardContentFromMonitorProcessing" : L"Clipboard Viewer Ignore");
        const char nothing = 0;
        return SetClipboardData(format, globalCopy(&nothing, 1)) != nullptr;
    }
    const DWORD allowed = 0;
    return SetClipboardData(
               RegisterClipboardFormatW(L"CanIncludeInClipboardHistory"), globalCopy(&allowed, sizeof allowed))
        != nullptr;
}

/// Waits as a program with windows does: answering the messages that other programs send its windows.
/// (Under wine, every program that opens the clipboard first sends one to the clipboard's owner.)
void waitAnswering(int ms)
{
    const ULONGLONG end = GetTickCount64() + ULONGLONG(ms);
    for (ULONGLONG now = GetTickCount64(); now < end; now = GetTickCount64()) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, DWORD(end - now), QS_ALLINPUT);
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            DispatchMessageW(&message);
        }
    }
}

/// Opens the clipboard, retrying while another program holds it, as copying programs do.
bool openClipboard(HWND window)
{
    for (int attempt = 0; attempt < 500; ++attempt) {
        if (OpenClipboard(window)) {
            return true;
        }
        waitAnswering(10);
    }
    return false;
}

bool copy(HWND window, const std::string& bytes, const Options& options, long long* copiedAt)
{
    if (!openClipboard(window)) {
        std::fprintf(stderr, "win32_test_owner: OpenClipboard failed: %lu\n", GetLastError());
        return false;
    }
    EmptyClipboard();
    bool ok = options.picture ? putPicture() : putText(bytes, options);
    if (ok && !options.secret.empty()) {
        ok = putSecretMark(options.secret);
    }
    *copiedAt = vardelo::test::performanceMicroseconds();
    CloseClipboard();
    if (!ok) {
        std::fprintf(stderr, "win32_test_owner: SetClipboardData failed: %lu\n", GetLastError());
    }
    return ok;
}

} // namespace

int main(int argc, char* argv[])
{
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        const bool hasValue = i + 1 < argc;
        if (argument == "--hold-after-ms" && hasValue) {
            options.holdAfterMs = std::atoi(argv[++i]);
        } else if (argument == "--ansi") {
            options.ansi = true;
        } else if (argument == "--secret" && hasValue) {
            options.secret = argv[++i];
        } else if (argument == "--picture") {
            options.picture = true;
        } else if (argument == "--series" && hasValue) {
            options.series = std::atoi(argv[++i]);
        } else if (argument == "--interval-ms" && hasValue) {
            options.intervalMs = std::atoi(argv[++i]);
        } else {
            std::fprintf(stderr, "win32_test_owner: unknown option %s\n", argument.c_str());
            return 2;
        }
    }
    // The text is taken byte for byte: no CR may be added or dropped on the way in.
    _setmode(_fileno(stdin), _O_BINARY);
    const std::string bytes {std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>()};

    // The clipboard is opened with a window of our own, as copying programs do.
    HWND window = CreateWindowExW(
        0, L"STATIC", L"win32_test_owner", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, GetModuleHandleW(nullptr), nullptr);
    long long copiedAt = 0;
    if (options.series > 0) {
        for (int i = 0; i < options.series; ++i) {
            if (!copy(window, bytes + " " + std::to_string(i), options, &copiedAt)) {
                return 1;
            }
            std::printf("owning %d %lld\n", i, copiedAt);
            std::fflush(stdout);
            waitAnswering(options.intervalMs);
        }
    } else {
        if (!copy(window, bytes, options, &copiedAt)) {
            return 1;
        }
        std::printf("owning\n");
        std::fflush(stdout);
        if (options.holdAfterMs > 0 && openClipboard(window)) {
            std::printf("holding\n");
            std::fflush(stdout);
            // Busy, as a program is while it reads what it holds open: it answers nothing meanwhile.
            Sleep(DWORD(options.holdAfterMs));
            CloseClipboard();
            std::printf("released\n");
            std::fflush(stdout);
        }
    }
    DestroyWindow(window);
    return 0;
}
