#include "windows/SaveLocation.h"

#include <QDir>

namespace vardelo {

SaveLocation::SaveLocation(QString driveRoot)
    : m_root(std::move(driveRoot))
{ }

bool SaveLocation::hasDriveLetter() const
{
    return m_root.size() >= 2 && m_root.at(1) == QLatin1Char(':');
}

QString SaveLocation::labelText() const
{
    // The home folder's path would not fit the label, nor would "сохранен" beside "в домашней папке" in a
    // common 9-point font; the confirmation gives the whole path.
    return hasDriveLetter() ? QStringLiteral("Введите Имя файла. Он будет сохранен на диске %1.").arg(m_root)
                            : QStringLiteral("Введите Имя файла. Он будет в домашней папке.");
}

Result<QString> SaveLocation::pathFor(const QString& name) const
{
    if (name.contains(QChar(0))) {
        return Result<QString>::failure(QStringLiteral("Имя файла содержит недопустимый символ."));
    }
    QString relative = name + QStringLiteral(".txt");
    relative.replace(QLatin1Char('\\'), QLatin1Char('/'));
    const auto outside = [this] {
        return Result<QString>::failure(QStringLiteral("Файл можно сохранить только в папке %1, а не за её пределами.")
                                            .arg(QDir::toNativeSeparators(m_root)));
    };
    // Only a leading separator makes a name absolute; a leading colon is just a character of the file name.
    if (relative.startsWith(QLatin1Char('/'))) {
        return outside();
    }
    // Steps are taken by their text alone: "link\..\x" is x beside link, wherever link points.
    QStringList steps;
    for (const QString& step : relative.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        if (step == QLatin1String("..")) {
            if (steps.isEmpty()) {
                return outside();
            }
            steps.removeLast();
        } else if (step != QLatin1String(".")) {
            steps.append(step);
        }
    }
    QString root = m_root;
    root.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return root + steps.join(QLatin1Char('/'));
}

QString SaveLocation::savedMessage(const QString& path) const
{
    const QString saved = QStringLiteral("Вся информация сохранена в файл ");
    if (hasDriveLetter()) {
        // Drive paths are shown with backslashes and the extension in capitals, on every system.
        QString shown = path.chopped(4);
        shown.replace(QLatin1Char('/'), QLatin1Char('\\'));
        return saved + shown + QStringLiteral(".TXT");
    }
    return saved + QDir::toNativeSeparators(path);
}

} // namespace vardelo
