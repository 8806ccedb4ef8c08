#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#include <QString>

#include "platform/clipboard/win32/ClipboardSnapshot.h"

namespace vardelo {

/// The Windows clipboard as the reader's thread reaches it: the Win32 clipboard, or one for tests whose
/// opening fails on demand. The questions but sequenceNumber() need it open.
class ClipboardAccess
{
public:
    virtual ~ClipboardAccess() = default;

    /// Changes with every change of the clipboard, and cannot while it is open here.
    virtual std::uint32_t sequenceNumber() const = 0;
    /// Opens it for reading; false, without waiting, while another program holds it open.
    virtual bool open() = 0;
    virtual void close() = 0;

    /// Whether its owner keeps what it holds from clipboard tools, as password managers do.
    virtual bool isSecret() const = 0;
    /// Whether it holds text.
    virtual bool hasText() const = 0;
    /// The size of its text's memory block, or nothing when its owner does not hand the text over.
    virtual std::optional<std::size_t> textBlockBytes() const = 0;
    /// Its text exactly as its owner gave it, read once into the program's memory; nothing when its owner
    /// does not hand it over.
    virtual std::optional<QString> text() const = 0;
};

/// Reads the clipboard once: unchanged when its sequence number is lastSequence, else what it holds, a text of
/// more than maxTextBytes left unread. Nothing when it cannot be read now, because another program holds it open
/// or its owner does not hand its text over: that is no empty clipboard, and it is to be tried again. Updates
/// lastSequence to what was read.
[[nodiscard]] std::optional<ClipboardSnapshot> readSnapshot(
    ClipboardAccess& clipboard, std::uint32_t& lastSequence, std::size_t maxTextBytes);

} // namespace vardelo
