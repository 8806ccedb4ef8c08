#pragma once

#include <QString>

namespace vardelo {

/// What one read of the Windows clipboard found.
struct ClipboardSnapshot
{
    /// Nothing changed since the read before: the sequence number is the same, so nothing was read again.
    bool unchanged = false;
    /// Its owner keeps it from clipboard tools; its text was not read.
    bool secret = false;
    /// Its text is larger than is read; it was not read.
    bool tooLarge = false;
    /// Its text exactly as its owner gave it; empty when it holds none.
    QString text;
};

} // namespace vardelo
