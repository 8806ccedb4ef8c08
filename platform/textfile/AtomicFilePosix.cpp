#include "platform/textfile/AtomicFile.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <memory>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QRandomGenerator>

#include "platform/textfile/FileErrorText.h"

namespace vardelo {

namespace {

/// The new file, under a short name of our own beside the target: the target's name may already be as
/// long as the file system allows, so no suffix on it would fit. Removed unless renamed over the target.
class TemporaryFile final
{
public:
    TemporaryFile() = default;
    ~TemporaryFile();
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    /// Creates the file in folder with mode, less the umask.
    bool create(const QByteArray& folder, mode_t mode);
    void setMode(mode_t mode) const;
    bool write(QByteArrayView bytes);
    /// Empties the file, to write it afresh.
    bool restart();
    /// Puts the data on the disk and closes the file.
    bool finish();
    bool renameOver(const QByteArray& target);
    /// What the step that failed was told.
    FileError error() const { return m_error; }

private:
    bool fail(FileError error = errnoFileError(errno))
    {
        m_error = error;
        return false;
    }

    QByteArray m_path;
    int m_fd = -1;
    FileError m_error;
};

TemporaryFile::~TemporaryFile()
{
    if (m_fd >= 0) {
        ::close(m_fd);
    }
    if (!m_path.isEmpty()) {
        ::unlink(m_path.constData());
    }
}

bool TemporaryFile::create(const QByteArray& folder, mode_t mode)
{
    static constexpr char Letters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    for (int attempt = 0; attempt < 100; ++attempt) {
        QByteArray path = folder + "/.vardelo-";
        for (int i = 0; i < 6; ++i) {
            path += Letters[QRandomGenerator::global()->bounded(static_cast<int>(sizeof(Letters)) - 1)];
        }
        m_fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (m_fd >= 0) {
            m_path = path;
            return true;
        }
        if (errno != EEXIST) {
            return fail();
        }
    }
    return fail();
}

void TemporaryFile::setMode(mode_t mode) const
{
    // Where the file system keeps no modes (FAT) the new file simply has the default one.
    [[maybe_unused]] const int ignored = ::fchmod(m_fd, mode);
}

bool TemporaryFile::write(QByteArrayView bytes)
{
    while (!bytes.isEmpty()) {
        const ssize_t written = ::write(m_fd, bytes.data(), static_cast<size_t>(bytes.size()));
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written < 0) {
            return fail();
        }
        // A device that takes nothing would be asked for ever.
        if (written == 0) {
            return fail({FileProblem::NoProgress, 0});
        }
        bytes = bytes.sliced(written);
    }
    return true;
}

bool TemporaryFile::restart()
{
    if (::lseek(m_fd, 0, SEEK_SET) != 0 || ::ftruncate(m_fd, 0) != 0) {
        return fail();
    }
    return true;
}

bool TemporaryFile::finish()
{
    // The data reach the disk before the rename, as with QSaveFile, so that after a crash the name holds the
    // old file or the whole new one. Unlike QSaveFile we do not go on when the sync fails (EIO, ENOSPC):
    // the data may not be there. EINVAL only says that this file system has nothing to sync.
    if (::fsync(m_fd) != 0 && errno != EINVAL) {
        return fail();
    }
    // A full disk that takes writes on trust may say so only when the file is closed.
    if (::close(std::exchange(m_fd, -1)) != 0 && errno != EINTR) {
        return fail();
    }
    return true;
}

bool TemporaryFile::renameOver(const QByteArray& target)
{
    if (::rename(m_path.constData(), target.constData()) != 0) {
        return fail();
    }
    m_path.clear();
    return true;
}

/// Puts the folder's entries on the disk, the rename among them, so that the new file is there after a
/// power loss too. Returns the errno of a failed sync, or 0. A folder that may be written but not read
/// cannot be opened to sync; the file's own data are on the disk by then, and that is all that can be done.
int syncFolder(const QByteArray& folder)
{
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        return errno == EACCES ? 0 : errno;
    }
    const int error = ::fsync(fd) != 0 && errno != EINVAL ? errno : 0;
    ::close(fd);
    return error;
}

QByteArray folderOf(const QByteArray& path)
{
    const qsizetype slash = path.lastIndexOf('/');
    return slash > 0 ? path.left(slash) : slash == 0 ? QByteArray("/") : QByteArray(".");
}

Result<WrittenFile> failure(const FileError& error, const QByteArray& folder)
{
    return Result<WrittenFile>::failure(fileErrorText(error, QFile::decodeName(folder)));
}

Result<WrittenFile> failure(int error, const QByteArray& folder)
{
    return failure(errnoFileError(error), folder);
}

using FileStatus = struct stat;

/// What stands at target: its status, or mode 0 where nothing does. As with QSaveFile, a link at the end
/// stays and target becomes the file it points to; a link that points nowhere is replaced itself. Returns
/// the errno of a name that cannot be used (too long, a file standing in for a folder), or 0.
int lookAt(QByteArray& target, FileStatus& status)
{
    if (::lstat(target.constData(), &status) != 0) {
        status.st_mode = 0;
        return errno == ENOENT ? 0 : errno;
    }
    if (S_ISLNK(status.st_mode)) {
        const std::unique_ptr<char, decltype(&std::free)> real(::realpath(target.constData(), nullptr), &std::free);
        if (real != nullptr && ::stat(real.get(), &status) == 0) {
            target = real.get();
        } else {
            status.st_mode = 0;
        }
    }
    return 0;
}

} // namespace

Result<WrittenFile> writeTextFileAtomically(const QString& path, TextPieces text)
{
    QByteArray target = QFile::encodeName(path);
    FileStatus existing {};
    // A name the file system cannot take is known before a byte is written.
    if (const int error = lookAt(target, existing); error != 0) {
        return failure(error, folderOf(target));
    }
    const QByteArray folder = folderOf(target);
    if (S_ISDIR(existing.st_mode)) {
        return failure(EISDIR, folder);
    }
    const bool replacing = existing.st_mode != 0;
    // As with QSaveFile, a file the user made read-only is not replaced behind their back.
    if (replacing && ::access(target.constData(), W_OK) != 0) {
        if (errno == EACCES || errno == EPERM) {
            return Result<WrittenFile>::failure(
                QStringLiteral("Файл уже есть в папке %1 и защищён от записи.").arg(QFile::decodeName(folder)));
        }
        return failure(errno, folder);
    }

    TemporaryFile file;
    // Until it has the old file's mode, the new file is the owner's alone.
    if (!file.create(folder, replacing ? 0600 : 0666)) {
        return failure(file.error(), folder);
    }
    if (replacing) {
        file.setMode(existing.st_mode & 07777);
    }
    const std::optional<TextFileEncoding> encoding = writeEncoded(
        text, [&file](QByteArrayView bytes) { return file.write(bytes); }, [&file] { return file.restart(); });
    text = nullptr;
    if (!encoding || !file.finish() || !file.renameOver(target)) {
        return failure(file.error(), folder);
    }
    // The file holds the new text by now, whatever the folder's sync says.
    if (const int error = syncFolder(folder); error != 0) {
        return WrittenFile {*encoding, fileErrorText(errnoFileError(error), QFile::decodeName(folder))};
    }
    return WrittenFile {*encoding, QString()};
}

} // namespace vardelo
