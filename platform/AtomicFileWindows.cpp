#include "platform/AtomicFile.h"

#include <QFileInfo>
#include <QSaveFile>

namespace vardelo {

// Where there is no POSIX file interface the temporary file and the rename are QSaveFile's.
Result<TextFileEncoding> writeTextFileAtomically(const QString& path, QStringView text)
{
    // QSaveFile would write "dir/" + name into a temporary file and then fail on rename with a vague
    // message; a folder standing where the file should go deserves a clear one.
    if (QFileInfo(path).isDir()) {
        return Result<TextFileEncoding>::failure(QStringLiteral("на этом месте уже есть папка с таким именем"));
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return Result<TextFileEncoding>::failure(file.errorString());
    }
    const TextFileEncoding encoding = chooseEncoding(text);
    if (!writeEncoded(text, encoding,
            [&file](QByteArrayView bytes) { return file.write(bytes.data(), bytes.size()) == bytes.size(); })) {
        const QString reason = file.errorString();
        file.cancelWriting();
        return Result<TextFileEncoding>::failure(reason);
    }
    if (!file.commit()) {
        return Result<TextFileEncoding>::failure(file.errorString());
    }
    return encoding;
}

} // namespace vardelo
