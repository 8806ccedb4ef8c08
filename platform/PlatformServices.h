#pragma once

#include <chrono>
#include <functional>
#include <memory>

#include <QByteArray>
#include <QString>

#include "platform/Outcome.h"
#include "platform/Timer.h"
#include "platform/clipboard/ClipboardReader.h"
#include "platform/textfile/AtomicFile.h"
#include "platform/textfile/TextFileEncoding.h"

namespace vardelo {

/// A modal message: prompt, title, icon and one OK button.
struct Message
{
    enum class Icon
    {
        Information,
        Warning,
    };

    Icon icon = Icon::Information;
    QString title;
    QString text;
};

/// Everything the program's logic asks of the desktop: clipboard, timers, clock, printer, message boxes
/// and files. The logic calls only this, so it runs on the real desktop and on a fake alike.
class PlatformServices
{
public:
    virtual ~PlatformServices() = default;

    virtual ClipboardReader& clipboard() = 0;

    /// A stopped timer that calls onTick every interval once started.
    virtual std::unique_ptr<Timer> createTimer(std::chrono::milliseconds interval, std::function<void()> onTick) = 0;

    /// The local time of day with hours, minutes and seconds, in the user's time format.
    virtual QString timeOfDay() const = 0;
    /// How long until the local time of day reaches its next whole second.
    virtual std::chrono::milliseconds untilNextSecond() const = 0;

    /// Where the text of a file or a print comes from: walked, on the thread that writes it, while it is
    /// written.
    using TextSource = TextPieces;
    /// What became of a print: handed to the spooler, or failed for a reason the user can read.
    using PrintEnded = std::function<void(const Status&)>;

    /// Prints the text that source gives on the default printer as one document, without asking, off the
    /// event loop, which runs on meanwhile: the thread that prints lays the text out and paints it a page at a
    /// time as it walks source, and lets source go once every page is painted. ended runs on the event loop
    /// once the printing system has taken the job, or the print has failed; it may run before this returns.
    /// Jobs are made one at a time, in the order asked.
    virtual void print(TextSource source, PrintEnded ended) = 0;

    /// Shows the message modal to all of the program's windows and returns when the user dismisses it.
    /// Timer ticks keep running meanwhile.
    virtual void showMessage(const Message& message) = 0;

    /// The folder that plays the part of drive C for saved files, with a trailing separator.
    virtual QString driveRoot() const = 0;

    /// What became of a file: written (see WrittenFile), or failed for a reason the user can read.
    using WriteEnded = std::function<void(const Result<WrittenFile>&)>;

    /// Replaces the file at path with the text that source gives, off the event loop, which runs on
    /// meanwhile: the thread that writes walks source as it writes and lets it go once the file is written,
    /// before it is synced. The text goes in Windows-1251 where every character fits and as UTF-8 with a
    /// byte-order mark otherwise. An existing file is replaced only by a complete new one that is on the
    /// disk, so a failure leaves it as it was. ended runs on the event loop once the file is safely written
    /// or the write has failed; it may run before this returns. Files are written one at a time, and the
    /// program does not end while one is being written.
    virtual void writeTextFile(const QString& path, TextSource source, WriteEnded ended) = 0;
};

} // namespace vardelo
