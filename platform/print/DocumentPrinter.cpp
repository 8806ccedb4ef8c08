#include "platform/print/DocumentPrinter.h"

#include <QFont>
#include <QPrinter>
#include <QPrinterInfo>
#include <QTextDocument>
#include <QTextOption>

namespace vardelo {

Status printOnDefaultPrinter(const QString& document)
{
    const QPrinterInfo info = QPrinterInfo::defaultPrinter();
    // QPrinter claims to be valid and prints into nothing when no printer exists, so ask first.
    if (info.isNull()) {
        return Status::failure(QStringLiteral("В системе не установлен принтер по умолчанию."));
    }
    if (info.state() == QPrinter::Error) {
        return Status::failure(QStringLiteral("Принтер «%1» сообщает об ошибке.").arg(info.printerName()));
    }
    QPrinter printer(info, QPrinter::HighResolution);
    printer.setDocName(QStringLiteral("Vardelo"));

    QTextDocument text;
    QFont font;
    font.setFamilies({QStringLiteral("DejaVu Sans"), QStringLiteral("Liberation Sans"), QStringLiteral("Arial")});
    font.setStyleHint(QFont::SansSerif);
    font.setPointSize(11);
    text.setDefaultFont(font);
    QTextOption option = text.defaultTextOption();
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    text.setDefaultTextOption(option);
    text.setPlainText(document);
    text.print(&printer);

    if (printer.printerState() == QPrinter::Error || printer.printerState() == QPrinter::Aborted) {
        return Status::failure(QStringLiteral("Принтер «%1» не принял задание.").arg(info.printerName()));
    }
    return Status::success();
}

} // namespace vardelo
