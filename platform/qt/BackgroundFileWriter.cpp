#include "platform/qt/BackgroundFileWriter.h"

#include <new>

#include "platform/AtomicFile.h"

namespace vardelo {

namespace {

Result<TextFileEncoding> readAndWrite(const QString& path, PlatformServices::TextSource& source, std::mutex& oneAtATime)
{
    try {
        const QString text = source();
        // Whoever gave the text may change it again.
        source = nullptr;
        const std::lock_guard lock(oneAtATime);
        return writeTextFileAtomically(path, text);
    } catch (const std::bad_alloc&) {
        // A copy of a very large collection may not fit; the program, and the collection, go on.
        return Result<TextFileEncoding>::failure(QStringLiteral("Не хватает памяти, чтобы записать документ."));
    }
}

} // namespace

BackgroundFileWriter::~BackgroundFileWriter()
{
    for (std::thread& thread : m_threads) {
        thread.join();
    }
}

void BackgroundFileWriter::write(
    const QString& path, PlatformServices::TextSource source, PlatformServices::WriteEnded ended)
{
    const auto thread = m_threads.emplace(m_threads.end());
    *thread = std::thread([this, thread, path, source = std::move(source), ended = std::move(ended)]() mutable {
        const Result<TextFileEncoding> written = readAndWrite(path, source, m_oneFileAtATime);
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
