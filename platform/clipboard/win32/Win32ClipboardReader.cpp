#include "platform/clipboard/win32/Win32ClipboardReader.h"

#include "platform/clipboard/win32/ClipboardWorker.h"

namespace vardelo {

std::unique_ptr<Win32ClipboardReader> Win32ClipboardReader::create()
{
    std::unique_ptr<Win32ClipboardReader> reader(new Win32ClipboardReader);
    return reader->m_worker->listening() ? std::move(reader) : nullptr;
}

Win32ClipboardReader::Win32ClipboardReader()
    : m_worker(std::make_unique<ClipboardWorker>(std::size_t(MaxClipboardBytes), inbox()))
{ }

// The worker stops first; what it still hands over finds the inbox without a reader.
Win32ClipboardReader::~Win32ClipboardReader() = default;

} // namespace vardelo
