#include "platform/AtomicFile.h"

#include <algorithm>

#include <QFileInfo>
#include <QSaveFile>

namespace vardelo {

namespace {

constexpr qsizetype PieceLength = 1024 * 1024;

Result<TextFileEncoding> failed(QSaveFile& file)
{
    const QString reason = file.errorString();
    file.cancelWriting();
    return Result<TextFileEncoding>::failure(reason);
}

} // namespace

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
    if (encoding == TextFileEncoding::Utf8WithBom && file.write("\xEF\xBB\xBF", 3) != 3) {
        return failed(file);
    }
    for (qsizetype from = 0; from < text.size();) {
        qsizetype length = std::min(PieceLength, text.size() - from);
        // A surrogate pair split between pieces would become two broken characters in UTF-8.
        if (from + length < text.size() && text[from + length - 1].isHighSurrogate()) {
            ++length;
        }
        const QByteArray bytes = encodePiece(text.sliced(from, length), encoding);
        if (file.write(bytes) != bytes.size()) {
            return failed(file);
        }
        from += length;
    }
    if (!file.commit()) {
        return Result<TextFileEncoding>::failure(file.errorString());
    }
    return encoding;
}

} // namespace vardelo
