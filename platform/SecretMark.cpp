#include "platform/SecretMark.h"

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

bool isMarkedSecret(const QMimeData& data)
{
    if (data.hasFormat(QLatin1String(PasswordManagerHint))
        && isSecretHint(data.data(QLatin1String(PasswordManagerHint)))) {
        return true;
    }
    // Their mere presence is the mark.
    if (data.hasFormat(windowsFormat("ExcludeClipboardContentFromMonitorProcessing"))
        || data.hasFormat(windowsFormat("Clipboard Viewer Ignore"))) {
        return true;
    }
    // This one holds a DWORD; zero keeps the content out of the clipboard history.
    const QString history = windowsFormat("CanIncludeInClipboardHistory");
    if (data.hasFormat(history)) {
        const QByteArray value = data.data(history);
        quint32 allowed = 1;
        if (value.size() >= qsizetype(sizeof allowed)) {
            std::memcpy(&allowed, value.constData(), sizeof allowed);
        }
        return allowed == 0;
    }
    return false;
}

} // namespace vardelo
