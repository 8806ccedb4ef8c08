#include "platform/TimeOfDayFormat.h"

#include <QLocale>
#include <QRegularExpression>

namespace vardelo {

QString timeOfDayFormat(const QLocale& locale)
{
    // The long format is the one that carries seconds, but it also names the time zone ("t"), which
    // neither fits the clock nor changes from second to second.
    QString format = locale.timeFormat(QLocale::LongFormat);
    static const QRegularExpression zone(QStringLiteral("\\s*\\(?t+\\)?\\s*"));
    format.replace(zone, QStringLiteral(" "));
    format = format.trimmed();
    if (!format.contains(QLatin1Char('s'))) {
        static const QRegularExpression minutes(QStringLiteral("mm"));
        format.replace(minutes, QStringLiteral("mm:ss"));
    }
    return format;
}

} // namespace vardelo
