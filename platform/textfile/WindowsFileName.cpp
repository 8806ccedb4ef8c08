#include "platform/textfile/WindowsFileName.h"

#include <cerrno>

#include <QString>

namespace vardelo {

namespace {

constexpr qsizetype LongestName = 255;

bool isDeviceName(QStringView name)
{
    // The device is named by what stands before the first dot, trailing spaces aside.
    QStringView base = name.left(name.indexOf(QLatin1Char('.')) < 0 ? name.size() : name.indexOf(QLatin1Char('.')));
    while (base.endsWith(QLatin1Char(' '))) {
        base.chop(1);
    }
    for (const char* device : {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"}) {
        if (base.compare(QLatin1String(device), Qt::CaseInsensitive) == 0) {
            return true;
        }
    }
    if (base.size() != 4) {
        return false;
    }
    const QStringView stem = base.left(3);
    const QChar digit = base.at(3);
    const bool port = stem.compare(QLatin1String("COM"), Qt::CaseInsensitive) == 0
        || stem.compare(QLatin1String("LPT"), Qt::CaseInsensitive) == 0;
    // COM¹ to COM³ are devices too.
    return port
        && ((digit >= QLatin1Char('1') && digit <= QLatin1Char('9')) || digit == QChar(0x00B9) || digit == QChar(0x00B2)
            || digit == QChar(0x00B3));
}

} // namespace

int windowsNameProblem(QStringView name)
{
    if (name.size() > LongestName) {
        return ENAMETOOLONG;
    }
    for (const QChar c : name) {
        if (c.unicode() < 32 || QStringView(u"<>:\"/\\|?*").contains(c)) {
            return EINVAL;
        }
    }
    return isDeviceName(name) ? EINVAL : 0;
}

} // namespace vardelo
