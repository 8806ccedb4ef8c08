#include "platform/textfile/AtomicFile.h"

#include <algorithm>
#include <cerrno>
#include <string>
#include <utility>

#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>

#include <windows.h>

#include "platform/textfile/FileErrorText.h"
#include "platform/textfile/Win32FileError.h"
#include "platform/textfile/WindowsFileName.h"

namespace vardelo {

namespace {

/// The path as Win32 takes it literally: with the \\?\ prefix nothing is trimmed from a name (spaces at its
/// end are kept, as typed) and paths longer than 260 characters work.
std::wstring literalPath(const QString& path)
{
    const QString native = QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
    if (native.startsWith(QLatin1String("\\\\"))) {
        return (QStringLiteral("\\\\?\\UNC\\") + native.mid(2)).toStdWString();
    }
    return (QStringLiteral("\\\\?\\") + native).toStdWString();
}

/// The new file, under a short name of our own beside the target: the target's name may already be as
/// long as a name may be, so no suffix on it would fit. Removed unless renamed over the target.
class TemporaryFile final
{
public:
    TemporaryFile() = default;
    ~TemporaryFile()
    {
        if (m_handle != INVALID_HANDLE_VALUE) {
            ::CloseHandle(m_handle);
        }
        if (!m_path.empty()) {
            ::DeleteFileW(m_path.c_str());
        }
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    bool create(const std::wstring& folder)
    {
        static constexpr wchar_t Letters[] = L"abcdefghijklmnopqrstuvwxyz0123456789";
        for (int attempt = 0; attempt < 100; ++attempt) {
            std::wstring path = folder + (folder.ends_with(L'\\') ? L".vardelo-" : L"\\.vardelo-");
            for (int i = 0; i < 6; ++i) {
                path += Letters[QRandomGenerator::global()->bounded(int(std::size(Letters)) - 1)];
            }
            // Hidden while it is being written, as a half-written file is nothing to open.
            m_handle = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED, nullptr);
            if (m_handle != INVALID_HANDLE_VALUE) {
                m_path = path;
                return true;
            }
            if (::GetLastError() != ERROR_FILE_EXISTS) {
                return fail();
            }
        }
        return fail();
    }

    bool write(QByteArrayView bytes)
    {
        while (!bytes.isEmpty()) {
            const DWORD chunk = DWORD(std::min<qsizetype>(bytes.size(), 1 << 30));
            DWORD written = 0;
            if (!::WriteFile(m_handle, bytes.data(), chunk, &written, nullptr)) {
                return fail();
            }
            // A device that takes nothing would be asked for ever.
            if (written == 0) {
                m_error = {FileProblem::NoProgress, 0};
                return false;
            }
            bytes = bytes.sliced(written);
        }
        return true;
    }

    bool restart()
    {
        LARGE_INTEGER start {};
        return (::SetFilePointerEx(m_handle, start, nullptr, FILE_BEGIN) && ::SetEndOfFile(m_handle)) || fail();
    }

    /// Puts the data on the disk, closes the file and shows it: the name it gets is the user's.
    bool finish()
    {
        if (!::FlushFileBuffers(m_handle)) {
            return fail();
        }
        const HANDLE handle = std::exchange(m_handle, INVALID_HANDLE_VALUE);
        return (::CloseHandle(handle) && ::SetFileAttributesW(m_path.c_str(), FILE_ATTRIBUTE_NORMAL)) || fail();
    }

    /// Replaces the target in one step, written through to the disk before it returns.
    bool renameOver(const std::wstring& target)
    {
        if (!::MoveFileExW(m_path.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
            return fail();
        }
        m_path.clear();
        return true;
    }

    FileError error() const { return m_error; }

private:
    bool fail()
    {
        m_error = win32FileError(::GetLastError());
        return false;
    }

    std::wstring m_path;
    HANDLE m_handle = INVALID_HANDLE_VALUE;
    FileError m_error;
};

Result<WrittenFile> failure(const FileError& error, const QString& folder)
{
    return Result<WrittenFile>::failure(fileErrorText(error, folder));
}

} // namespace

Result<WrittenFile> writeTextFileAtomically(const QString& path, TextPieces text)
{
    const QFileInfo info(path);
    const QString folder = info.absolutePath();
    // A name Windows cannot take, or takes for a device, is known before a byte is written.
    if (const int problem = windowsNameProblem(info.fileName()); problem != 0) {
        return failure(errnoFileError(problem), folder);
    }
    const std::wstring target = literalPath(path);
    const DWORD attributes = ::GetFileAttributesW(target.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
            return failure(errnoFileError(EISDIR), folder);
        }
        // A file the user made read-only is not replaced behind their back.
        if ((attributes & FILE_ATTRIBUTE_READONLY) != 0) {
            return Result<WrittenFile>::failure(
                QStringLiteral("Файл уже есть в папке %1 и защищён от записи.").arg(QDir::toNativeSeparators(folder)));
        }
    }

    TemporaryFile file;
    if (!file.create(literalPath(folder))) {
        return failure(file.error(), folder);
    }
    const std::optional<TextFileEncoding> encoding = writeEncoded(
        text, [&file](QByteArrayView bytes) { return file.write(bytes); }, [&file] { return file.restart(); });
    text = nullptr;
    if (!encoding || !file.finish() || !file.renameOver(target)) {
        return failure(file.error(), folder);
    }
    return WrittenFile {*encoding, QString()};
}

} // namespace vardelo
