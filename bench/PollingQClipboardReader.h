#pragma once

#include "platform/clipboard/ClipboardReader.h"

namespace vardelo::bench {

/// The reader the program had before the X11 reader: asks QClipboard on every read, so on X11 every read
/// is a round trip to the owner and waits for it. Kept only to measure against.
class PollingQClipboardReader final : public ClipboardReader
{
public:
    Result<ClipboardContent> read() override;
};

} // namespace vardelo::bench
