#pragma once

#include "platform/Outcome.h"

namespace vardelo {

/// Reads the system clipboard's plain text.
class ClipboardReader
{
public:
    virtual ~ClipboardReader() = default;

    /// The clipboard's text exactly as its owner gave it; the empty string only when the clipboard
    /// really holds no text. Fails when the clipboard cannot be read now (owner busy, transfer failed),
    /// which callers must not take for "empty". Never waits on another program.
    virtual Result<QString> text() = 0;
};

} // namespace vardelo
