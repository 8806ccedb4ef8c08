#pragma once

#include <QStringView>

namespace vardelo {

/// Why Windows would not take this as a file or folder name, as an errno for fileErrorText(), or 0 when it
/// would: longer than the 255 UTF-16 units of a name (ENAMETOOLONG); a character Windows keeps out of names,
/// or a device's name such as CON or LPT1, with any extension (EINVAL). Device names would otherwise open the
/// device, and the program writes through paths that take every other name literally.
[[nodiscard]] int windowsNameProblem(QStringView name);

} // namespace vardelo
