#include <QPdfWriter>

#include "platform/print/CupsQueue.h"
#include "platform/print/DocumentPrinter.h"
#include "platform/print/PrintFailure.h"
#include "platform/print/PrintedPages.h"

namespace vardelo {

Status printOnDefaultPrinter(TextPieces source)
{
    const Result<CupsQueue> queue = CupsQueue::findDefault();
    if (!queue.ok()) {
        return queue.status();
    }
    Result<std::unique_ptr<CupsJob>> started = CupsJob::start(queue.value());
    if (!started.ok()) {
        return started.status();
    }
    CupsJob& job = *started.value();
    Status painted = Status::success();
    {
        // The pages go to the job as they are made, in the margins and the paper today's printout has.
        QPdfWriter pdf(&job);
        pdf.setTitle(QStringLiteral("Vardelo"));
        pdf.setCreator(QStringLiteral("Vardelo"));
        pdf.setPageSize(queue.value().paper);
        pdf.setPageMargins(QMarginsF(23.53, 23.53, 23.53, 23.53), QPageLayout::Millimeter);
        painted = paintPages(pdf, source, [&job] { return job.health(); });
    }
    source = nullptr;
    if (!painted.ok()) {
        return job.health().ok() ? Status::failure(printFailureText(PrintFailure::NotPainted, queue.value().printer))
                                 : painted;
    }
    return job.finish();
}

} // namespace vardelo
