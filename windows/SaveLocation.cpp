#include "windows/SaveLocation.h"

#include <QDir>
#include <QFontMetrics>

namespace vardelo {

namespace {

const QString LabelStart = QStringLiteral("Введите Имя файла. Он будет сохранен ");

} // namespace

SaveLocation::SaveLocation(QString driveRoot)
    : m_root(std::move(driveRoot))
{ }

bool SaveLocation::hasDriveLetter() const
{
    return m_root.size() >= 2 && m_root.at(1) == QLatin1Char(':');
}

QString SaveLocation::labelText() const
{
    return hasDriveLetter() ? LabelStart + QStringLiteral("на диске %1.").arg(m_root)
                            : LabelStart + QStringLiteral("в папке %1.").arg(QDir::toNativeSeparators(m_root));
}

QString SaveLocation::labelText(const QFontMetrics& metrics, int width) const
{
    const QString full = labelText();
    if (hasDriveLetter() || metrics.horizontalAdvance(full) <= width) {
        return full;
    }
    const QString start = LabelStart + QStringLiteral("в папке ");
    const int room = width - metrics.horizontalAdvance(start + QLatin1Char('.'));
    return start + metrics.elidedText(QDir::toNativeSeparators(m_root), Qt::ElideMiddle, room) + QLatin1Char('.');
}

Result<QString> SaveLocation::pathFor(const QString& name) const
{
    if (name.contains(QChar(0))) {
        return Result<QString>::failure(QStringLiteral("Имя файла содержит недопустимый символ."));
    }
    QString relative = name + QStringLiteral(".txt");
    relative.replace(QLatin1Char('\\'), QLatin1Char('/'));
    QString root = m_root;
    root.replace(QLatin1Char('\\'), QLatin1Char('/'));
    const QString cleanRoot = QDir::cleanPath(root);
    const QString path = root + relative;
    const QString cleanPath = QDir::cleanPath(path);
    // "..\..\etc\x" or "\etc\x" must not reach past the drive root.
    const QString inside = cleanRoot.endsWith(QLatin1Char('/')) ? cleanRoot : cleanRoot + QLatin1Char('/');
    if (relative.startsWith(QLatin1Char('/')) || QDir::isAbsolutePath(relative) || !cleanPath.startsWith(inside)) {
        return Result<QString>::failure(QStringLiteral("Файл можно сохранить только в папке %1, а не за её пределами.")
                                            .arg(QDir::toNativeSeparators(m_root)));
    }
    return path;
}

QString SaveLocation::savedMessage(const QString& name, const QString& path) const
{
    if (hasDriveLetter()) {
        return QStringLiteral("Вся информация сохранена в файл ") + m_root + name + QStringLiteral(".TXT");
    }
    return QStringLiteral("Вся информация сохранена в файл ") + QDir::toNativeSeparators(QDir::cleanPath(path));
}

} // namespace vardelo
