#pragma once

#include <QString>

namespace vardelo {

/// Why a file could not be written, whichever system told it.
enum class FileProblem
{
    FolderMissing,
    NotAllowed,
    DiskFull,
    ReadOnlyDisk,
    NameTooLong,
    NameNotAllowed,
    FolderInTheWay,
    TooLarge,
    DiskError,
    InUse,
    /// A write took nothing, as a device that has stopped taking data does: asking again would not end.
    NoProgress,
    /// One the program has no sentence for; the system's own number says which.
    Other,
};

/// What the system said, as a problem and its own number for it.
struct FileError
{
    FileProblem problem = FileProblem::Other;
    long code = 0;
};

/// The problem an errno value stands for.
[[nodiscard]] FileError errnoFileError(int error);

/// Why a file could not be written into folder, as a Russian sentence that names the folder.
[[nodiscard]] QString fileErrorText(const FileError& error, const QString& folder);

} // namespace vardelo
