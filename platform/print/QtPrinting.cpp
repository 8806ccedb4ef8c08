#include <QPrinter>
#include <QPrinterInfo>

#include "platform/print/DocumentPrinter.h"
#include "platform/print/PrintFailure.h"
#include "platform/print/PrintedPages.h"

namespace vardelo {

Status printOnDefaultPrinter(TextPieces source)
{
    const QPrinterInfo info = QPrinterInfo::defaultPrinter();
    // QPrinter claims to be valid and prints into nothing when no printer exists, so ask first.
    if (info.isNull()) {
        return Status::failure(printFailureText(PrintFailure::NoDefaultPrinter, QString()));
    }
    const QString name = info.printerName();
    if (info.state() == QPrinter::Error) {
        return Status::failure(printFailureText(PrintFailure::Stopped, name));
    }
    QPrinter printer(info, QPrinter::HighResolution);
    printer.setDocName(QStringLiteral("Vardelo"));
    printer.setPageMargins(QMarginsF(23.53, 23.53, 23.53, 23.53), QPageLayout::Millimeter);
    // Qt's engine tells of a refused page or document only through its state.
    const auto refused = [&printer] {
        return printer.printerState() == QPrinter::Error || printer.printerState() == QPrinter::Aborted;
    };
    const Status painted = paintPages(printer, source, [&] {
        return refused() ? Status::failure(printFailureText(PrintFailure::SpoolFailed, name)) : Status::success();
    });
    source = nullptr;
    if (!painted.ok() || refused()) {
        return refused() ? Status::failure(printFailureText(PrintFailure::SpoolFailed, name))
                         : Status::failure(printFailureText(PrintFailure::NotPainted, name));
    }
    return Status::success();
}

} // namespace vardelo
