#include "platform/textfile/FileErrorText.h"

#include <cerrno>

#include <QDir>

namespace vardelo {

QString fileErrorText(int error, const QString& folder)
{
    const QString shown = QDir::toNativeSeparators(folder);
    switch (error) {
    case ENOENT:
    case ENOTDIR:
        return QStringLiteral("Папка %1 не найдена.").arg(shown);
    case EACCES:
    case EPERM:
        return QStringLiteral("Нет прав на запись в папку %1.").arg(shown);
    case ENOSPC:
#ifdef EDQUOT // not on Windows
    case EDQUOT:
#endif
        return QStringLiteral("На диске с папкой %1 не хватает места.").arg(shown);
    case EROFS:
        return QStringLiteral("Папка %1 находится на диске, доступном только для чтения.").arg(shown);
    case ENAMETOOLONG:
        return QStringLiteral("Имя файла слишком длинное для файловой системы в папке %1.").arg(shown);
    case EINVAL:
    case EILSEQ:
        return QStringLiteral("Файловая система в папке %1 не принимает такое имя файла.").arg(shown);
    case EISDIR:
        return QStringLiteral("В папке %1 уже есть папка с таким именем.").arg(shown);
    case EFBIG:
        return QStringLiteral("Файл слишком велик для файловой системы в папке %1.").arg(shown);
    case EIO:
        return QStringLiteral("Ошибка ввода-вывода на диске с папкой %1.").arg(shown);
    case EBUSY:
        return QStringLiteral("Файл в папке %1 открыт другой программой.").arg(shown);
    default:
        return QStringLiteral("Системная ошибка номер %1 при записи в папку %2.").arg(QString::number(error), shown);
    }
}

} // namespace vardelo
