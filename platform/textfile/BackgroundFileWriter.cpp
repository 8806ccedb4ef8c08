#include "platform/textfile/BackgroundFileWriter.h"

#include "platform/textfile/AtomicFile.h"

namespace vardelo {

BackgroundFileWriter::~BackgroundFileWriter()
{
    for (std::thread& thread : m_threads) {
        thread.join();
    }
}

void BackgroundFileWriter::write(const QString& path, TextPieces source, Ended ended)
{
    const auto thread = m_threads.emplace(m_threads.end());
    *thread = std::thread([this, thread, path, source = std::move(source), ended = std::move(ended)]() mutable {
        std::unique_lock oneFileAtATime(m_oneFileAtATime);
        const Result<TextFileEncoding> written = writeTextFileAtomically(path, std::move(source));
        oneFileAtATime.unlock();
        QMetaObject::invokeMethod(
            &m_eventLoop,
            [this, thread, ended = std::move(ended), written] {
                // The thread has nothing left to do but end.
                thread->join();
                m_threads.erase(thread);
                ended(written);
            },
            Qt::QueuedConnection);
    });
}

} // namespace vardelo
