#pragma once

#include "platform/textfile/FileErrorText.h"

namespace vardelo {

/// The problem a Win32 error code (GetLastError()) stands for.
[[nodiscard]] FileError win32FileError(unsigned long error);

} // namespace vardelo
