#pragma once

#include <functional>

#include "platform/BackgroundJobs.h"
#include "platform/Outcome.h"
#include "platform/textfile/AtomicFile.h"
#include "platform/textfile/TextFileEncoding.h"

namespace vardelo {

/// Writes text files on a thread of its own, so that neither reading the text nor putting it on the disk
/// holds up the event loop, and tells how each write ended on the event loop of the thread that made it. The
/// files are written one at a time, in the order asked.
class BackgroundFileWriter final
{
public:
    /// What became of a file: written (see WrittenFile), or failed for a reason the user can read.
    using Ended = std::function<void(const Result<WrittenFile>&)>;

    /// Replaces the file at path with the text that source gives (see writeTextFileAtomically()); ended runs
    /// on this thread's event loop once it is written or has failed.
    void write(const QString& path, TextPieces source, Ended ended);

private:
    BackgroundJobs m_jobs;
};

} // namespace vardelo
