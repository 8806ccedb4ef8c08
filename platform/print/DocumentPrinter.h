#pragma once

#include <functional>

#include "platform/BackgroundJobs.h"
#include "platform/Outcome.h"
#include "platform/textfile/TextFileEncoding.h"

namespace vardelo {

/// Prints plain text on the system's default printer, off the event loop: a thread of its own lays the text
/// out and paints it a page at a time as it reads it (see paintPages()), and hands the job to the printing
/// system, whose answer to each step is checked. Jobs are made one at a time, in the order asked.
class DocumentPrinter final
{
public:
    /// What became of a job: handed to the spooler, or failed for a reason the user can read.
    using Ended = std::function<void(const Status&)>;

    /// Prints the text that source gives as one document; source is let go once every page is painted.
    /// ended runs on this thread's event loop once the job is the spooler's or has failed.
    void print(TextPieces source, Ended ended);

private:
    BackgroundJobs m_jobs;
};

/// Prints the text that source gives on the default printer as one document, on the calling thread, and
/// lets source go once the pages are painted: through CUPS where there is CUPS, else through Qt's printer.
Status printOnDefaultPrinter(TextPieces source);

} // namespace vardelo
