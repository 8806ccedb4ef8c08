#include "platform/AtomicFile.h"

#include <cerrno>

#include <QFileInfo>
#include <QSaveFile>

#include <windows.h>

#include "platform/FileErrorText.h"

namespace vardelo {

namespace {

/// The errno that says the same as the system's last error, so that the reason reads as on other systems;
/// QSaveFile's own reasons are English, or "Unknown error".
int lastErrorAsErrno(QFileDevice::FileError qtError)
{
    switch (::GetLastError()) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
        return ENOENT;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
        return EACCES;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return ENOSPC;
    case ERROR_WRITE_PROTECT:
        return EROFS;
    case ERROR_FILENAME_EXCED_RANGE:
        return ENAMETOOLONG;
    case ERROR_INVALID_NAME:
        return EINVAL;
    default:
        break;
    }
    switch (qtError) {
    case QFileDevice::ResourceError:
        return ENOSPC;
    case QFileDevice::PermissionsError:
        return EACCES;
    default:
        return EIO;
    }
}

Result<TextFileEncoding> failed(QSaveFile& file, const QString& path)
{
    const int error = lastErrorAsErrno(file.error());
    file.cancelWriting();
    return Result<TextFileEncoding>::failure(fileErrorText(error, QFileInfo(path).absolutePath()));
}

} // namespace

// Where there is no POSIX file interface the temporary file and the rename are QSaveFile's.
Result<TextFileEncoding> writeTextFileAtomically(const QString& path, TextPieces text)
{
    // QSaveFile would write "dir/" + name into a temporary file and then fail on rename with a vague
    // message; a folder standing where the file should go deserves a clear one.
    if (QFileInfo(path).isDir()) {
        return Result<TextFileEncoding>::failure(fileErrorText(EISDIR, QFileInfo(path).absolutePath()));
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return failed(file, path);
    }
    const std::optional<TextFileEncoding> encoding = writeEncoded(
        text, [&file](QByteArrayView bytes) { return file.write(bytes.data(), bytes.size()) == bytes.size(); },
        [&file] { return file.seek(0) && file.resize(0); });
    text = nullptr;
    if (!encoding || !file.commit()) {
        return failed(file, path);
    }
    return *encoding;
}

} // namespace vardelo
