#pragma once

#include <QDir>
#include <QString>

namespace vardelo::test {

/// The confirmation the program gives for a file saved at path (written with "/"). Where every folder has a
/// drive letter (Windows), a drive path is confirmed with backslashes and the extension in capitals.
inline QString savedConfirmation(const QString& path)
{
    const QString saved = QStringLiteral("Вся информация сохранена в файл ");
#ifdef Q_OS_WIN
    return saved + QDir::toNativeSeparators(path.chopped(4)) + QStringLiteral(".TXT");
#else
    return saved + path;
#endif
}

} // namespace vardelo::test
