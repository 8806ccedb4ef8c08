#pragma once

#include <functional>
#include <list>
#include <mutex>
#include <thread>

#include <QObject>

#include "platform/Outcome.h"
#include "platform/textfile/TextFileEncoding.h"

namespace vardelo {

/// Writes text files on threads of their own, so that neither reading the text nor putting it on the disk
/// holds up the event loop, and tells how each write ended on the event loop of the thread that made it. A
/// text is read as soon as it is asked for; the files are written one at a time.
class BackgroundFileWriter final
{
public:
    BackgroundFileWriter() = default;
    /// Waits for the files still being written: the program never ends with one half done.
    ~BackgroundFileWriter();
    BackgroundFileWriter(const BackgroundFileWriter&) = delete;
    BackgroundFileWriter& operator=(const BackgroundFileWriter&) = delete;

    /// What became of a file: written in this encoding, or failed for a reason the user can read.
    using Ended = std::function<void(const Result<TextFileEncoding>&)>;

    /// Replaces the file at path with the text that source gives (see writeTextFileAtomically()); ended runs
    /// on this thread's event loop once it is written or has failed.
    void write(const QString& path, TextPieces source, Ended ended);

private:
    /// Where the ends are told.
    QObject m_eventLoop;
    std::mutex m_oneFileAtATime;
    std::list<std::thread> m_threads;
};

} // namespace vardelo
