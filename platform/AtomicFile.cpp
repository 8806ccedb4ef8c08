#include "platform/AtomicFile.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

namespace vardelo {

Status writeFileAtomically(const QString& path, const QByteArray& bytes)
{
    // QSaveFile would happily write "dir/" + name into a temporary file and then fail on rename with
    // a vague message; a folder standing where the file should go deserves a clear one.
    if (QFileInfo(path).isDir()) {
        return Status::failure(QStringLiteral("на этом месте уже есть папка с таким именем"));
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return Status::failure(file.errorString());
    }
    if (file.write(bytes) != bytes.size()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        return Status::failure(reason);
    }
    if (!file.commit()) {
        return Status::failure(file.errorString());
    }
    return Status::success();
}

} // namespace vardelo
