#pragma once

#include <QString>

namespace vardelo {

/// Why a file could not be written into folder, as a Russian sentence that names the folder, for an
/// errno value. Every value gets a sentence; one without a sentence of its own is given by its number.
[[nodiscard]] QString fileErrorText(int error, const QString& folder);

} // namespace vardelo
