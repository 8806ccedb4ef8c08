#include "platform/textfile/BackgroundFileWriter.h"

#include "platform/textfile/AtomicFile.h"

namespace vardelo {

void BackgroundFileWriter::write(const QString& path, TextPieces source, Ended ended)
{
    m_jobs.run([path, source = std::move(source), ended = std::move(ended)]() mutable -> std::function<void()> {
        const Result<WrittenFile> written = writeTextFileAtomically(path, std::move(source));
        return [ended = std::move(ended), written] { ended(written); };
    });
}

} // namespace vardelo
