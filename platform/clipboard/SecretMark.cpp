#include "platform/clipboard/SecretMark.h"

#include <cstring>

#include <QMimeData>

namespace vardelo {

namespace {

/// How Qt names a Windows clipboard format it has no MIME type for.
QString windowsFormat(const char* name)
{
    return QStringLiteral("application/x-qt-windows-mime;value=\"%1\"").arg(QLatin1String(name));
}

} // namespace

bool isSecretHint(QByteArrayView value)
{
    return value.trimmed() == "secret";
}

bool isHistoryRefusal(QByteArrayView value)
{
    quint32 allowed = 1;
    if (value.size() >= qsizetype(sizeof allowed)) {
        std::memcpy(&allowed, value.data(), sizeof allowed);
    }
    return allowed == 0;
}

bool isMarkedSecret(const QMimeData& data)
{
    if (data.hasFormat(QLatin1String(PasswordManagerHint))
        && isSecretHint(data.data(QLatin1String(PasswordManagerHint)))) {
        return true;
    }
    for (const char* exclusion : WindowsMonitorExclusions) {
        if (data.hasFormat(windowsFormat(exclusion))) {
            return true;
        }
    }
    const QString history = windowsFormat(WindowsHistoryPermission);
    return data.hasFormat(history) && isHistoryRefusal(data.data(history));
}

} // namespace vardelo
