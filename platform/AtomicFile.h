#pragma once

#include <QByteArray>
#include <QString>

#include "platform/Outcome.h"

namespace vardelo {

/// Writes bytes to a temporary file beside path and renames it over path, so an existing file is only
/// ever replaced by a complete new one. On failure path is left as it was and the reason names the cause.
Status writeFileAtomically(const QString& path, const QByteArray& bytes);

} // namespace vardelo
