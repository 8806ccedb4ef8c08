#pragma once

#include <QString>
#include <QStringView>

#include "platform/Outcome.h"
#include "platform/textfile/TextFileEncoding.h"

namespace vardelo {

/// A file written in full.
struct WrittenFile
{
    TextFileEncoding encoding = TextFileEncoding::Windows1251;
    /// Empty when the system confirmed that the file and its name are on the disk. Otherwise why it could not:
    /// the file holds the new text, but a power loss before the system writes it out may take it back.
    QString unconfirmed;
};

/// Writes the text to a temporary file beside path, encoded a piece at a time as it comes (see writeEncoded()), puts it
/// on the disk and renames it over path: an existing file is only ever replaced by a complete new one. Where the system
/// has folders to sync (POSIX), the folder is put on the disk too before success is told, so that the rename outlives a
/// power loss; when that fails, the file is written all the same and says so (WrittenFile::unconfirmed). On failure
/// path is left as it was, the temporary file is gone and the reason names the cause; a write that takes nothing
/// fails too, as asking again would never end. Lets text go once the file holds it, before the file is put on the
/// disk, whose wait may be long. Runs on any thread.
Result<WrittenFile> writeTextFileAtomically(const QString& path, TextPieces text);

/// The same for a text at hand.
inline Result<WrittenFile> writeTextFileAtomically(const QString& path, QStringView text)
{
    return writeTextFileAtomically(path, [text](const std::function<bool(QStringView)>& piece) { piece(text); });
}

} // namespace vardelo
