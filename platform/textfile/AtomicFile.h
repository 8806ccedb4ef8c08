#pragma once

#include <QString>
#include <QStringView>

#include "platform/Outcome.h"
#include "platform/textfile/TextFileEncoding.h"

namespace vardelo {

/// Writes the text to a temporary file beside path, encoded a piece at a time as it comes (see writeEncoded()), puts it
/// on the disk and renames it over path: an existing file is only ever replaced by a complete new one. Where the system
/// has folders to sync (POSIX), the folder is put on the disk too before success is told, so that the rename outlives a
/// power loss. On failure path is left as it was, the temporary file is gone and the reason names the cause. Lets text
/// go once the file holds it, before the file is put on the disk, whose wait may be long. Runs on any thread.
Result<TextFileEncoding> writeTextFileAtomically(const QString& path, TextPieces text);

/// The same for a text at hand.
inline Result<TextFileEncoding> writeTextFileAtomically(const QString& path, QStringView text)
{
    return writeTextFileAtomically(path, [text](const std::function<bool(QStringView)>& piece) { piece(text); });
}

} // namespace vardelo
