#include "platform/print/PrintFailure.h"

namespace vardelo {

QString printFailureText(PrintFailure failure, const QString& printer, const QString& detail)
{
    QString text;
    switch (failure) {
    case PrintFailure::NoDefaultPrinter:
        return QStringLiteral("В системе не установлен принтер по умолчанию.");
    case PrintFailure::ServiceUnavailable:
        text = printer.isEmpty() ? QStringLiteral("Служба печати не отвечает, принтер по умолчанию не найден.")
                                 : QStringLiteral("Служба печати не отвечает: принтер «%1» не получил документ.");
        break;
    case PrintFailure::Rejecting:
        text = QStringLiteral("Принтер «%1» не принимает задания.");
        break;
    case PrintFailure::Stopped:
        text = QStringLiteral("Принтер «%1» остановлен; документ на печать не отправлен.");
        break;
    case PrintFailure::Vanished:
        text = QStringLiteral("Принтер «%1» больше не найден в системе.");
        break;
    case PrintFailure::NotAllowed:
        text = QStringLiteral("Нет прав на печать на принтере «%1».");
        break;
    case PrintFailure::SpoolFailed:
        text = QStringLiteral("Служба печати не смогла принять документ для принтера «%1».");
        break;
    case PrintFailure::NotPainted:
        text = QStringLiteral("Не удалось подготовить документ к печати на принтере «%1».");
        break;
    }
    if (text.contains(QLatin1String("%1"))) {
        text = text.arg(printer);
    }
    return detail.isEmpty() ? text : text + QLatin1Char('\n') + detail;
}

} // namespace vardelo
