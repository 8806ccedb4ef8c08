#include "platform/textfile/Win32FileError.h"

#include <windows.h>

namespace vardelo {

FileError win32FileError(unsigned long error)
{
    const long code = static_cast<long>(error);
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
    case ERROR_DEV_NOT_EXIST:
        return {FileProblem::FolderMissing, code};
    case ERROR_ACCESS_DENIED:
    case ERROR_NETWORK_ACCESS_DENIED:
    case ERROR_PRIVILEGE_NOT_HELD:
        return {FileProblem::NotAllowed, code};
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_USER_MAPPED_FILE:
        return {FileProblem::InUse, code};
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return {FileProblem::DiskFull, code};
    case ERROR_WRITE_PROTECT:
        return {FileProblem::ReadOnlyDisk, code};
    case ERROR_FILENAME_EXCED_RANGE:
        return {FileProblem::NameTooLong, code};
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_DIRECTORY:
        return {FileProblem::NameNotAllowed, code};
    case ERROR_FILE_TOO_LARGE:
        return {FileProblem::TooLarge, code};
    case ERROR_NOT_READY:
    case ERROR_CRC:
    case ERROR_SECTOR_NOT_FOUND:
    case ERROR_WRITE_FAULT:
    case ERROR_READ_FAULT:
    case ERROR_GEN_FAILURE:
    case ERROR_IO_DEVICE:
    case ERROR_DEVICE_NOT_CONNECTED:
        return {FileProblem::DiskError, code};
    default:
        return {FileProblem::Other, code};
    }
}

} // namespace vardelo
