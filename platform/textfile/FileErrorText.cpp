#include "platform/textfile/FileErrorText.h"

#include <cerrno>

#include <QDir>

namespace vardelo {

FileError errnoFileError(int error)
{
    switch (error) {
    case ENOENT:
    case ENOTDIR:
        return {FileProblem::FolderMissing, error};
    case EACCES:
    case EPERM:
        return {FileProblem::NotAllowed, error};
    case ENOSPC:
#ifdef EDQUOT // not on Windows
    case EDQUOT:
#endif
        return {FileProblem::DiskFull, error};
    case EROFS:
        return {FileProblem::ReadOnlyDisk, error};
    case ENAMETOOLONG:
        return {FileProblem::NameTooLong, error};
    case EINVAL:
    case EILSEQ:
        return {FileProblem::NameNotAllowed, error};
    case EISDIR:
        return {FileProblem::FolderInTheWay, error};
    case EFBIG:
        return {FileProblem::TooLarge, error};
    case EIO:
        return {FileProblem::DiskError, error};
    case EBUSY:
        return {FileProblem::InUse, error};
    default:
        return {FileProblem::Other, error};
    }
}

QString fileErrorText(const FileError& error, const QString& folder)
{
    const QString shown = QDir::toNativeSeparators(folder);
    switch (error.problem) {
    case FileProblem::FolderMissing:
        return QStringLiteral("Папка %1 не найдена.").arg(shown);
    case FileProblem::NotAllowed:
        return QStringLiteral("Нет прав на запись в папку %1.").arg(shown);
    case FileProblem::DiskFull:
        return QStringLiteral("На диске с папкой %1 не хватает места.").arg(shown);
    case FileProblem::ReadOnlyDisk:
        return QStringLiteral("Папка %1 находится на диске, доступном только для чтения.").arg(shown);
    case FileProblem::NameTooLong:
        return QStringLiteral("Имя файла слишком длинное для файловой системы в папке %1.").arg(shown);
    case FileProblem::NameNotAllowed:
        return QStringLiteral("Файловая система в папке %1 не принимает такое имя файла.").arg(shown);
    case FileProblem::FolderInTheWay:
        return QStringLiteral("В папке %1 уже есть папка с таким именем.").arg(shown);
    case FileProblem::TooLarge:
        return QStringLiteral("Файл слишком велик для файловой системы в папке %1.").arg(shown);
    case FileProblem::DiskError:
        return QStringLiteral("Ошибка ввода-вывода на диске с папкой %1.").arg(shown);
    case FileProblem::InUse:
        return QStringLiteral("Файл в папке %1 открыт другой программой.").arg(shown);
    case FileProblem::NoProgress:
        return QStringLiteral("Диск с папкой %1 перестал принимать данные.").arg(shown);
    case FileProblem::Other:
        break;
    }
    return QStringLiteral("Системная ошибка номер %1 при записи в папку %2.").arg(QString::number(error.code), shown);
}

} // namespace vardelo
