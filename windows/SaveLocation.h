#pragma once

#include <QString>

#include "platform/Outcome.h"

namespace vardelo {

/// Where a saved file goes. The drive root is "C:\" where drives have letters and the user's home
/// folder elsewhere; a backslash in the name separates folders on both.
class SaveLocation final
{
public:
    /// driveRoot ends with a separator: "C:\" or, say, "/home/ann/".
    explicit SaveLocation(QString driveRoot);

    /// The label of the save window: where the file will go, short enough to be read whole.
    [[nodiscard]] QString labelText() const;

    /// The path for a name as typed, with ".txt" added, cleaned of "." and ".." steps without asking the
    /// file system: what is checked is what gets written, and a link in the name cannot lead elsewhere.
    /// Refuses a name that holds NUL, starts at the top of the file system or climbs above the drive root.
    [[nodiscard]] Result<QString> pathFor(const QString& name) const;

    /// The path as the user asked for it, for messages about a name that cannot be used.
    [[nodiscard]] QString requestedPath(const QString& name) const { return m_root + name + QStringLiteral(".txt"); }

    /// The confirmation after saving to this path, one that pathFor gave.
    [[nodiscard]] QString savedMessage(const QString& path) const;

private:
    bool hasDriveLetter() const;

    QString m_root;
};

} // namespace vardelo
