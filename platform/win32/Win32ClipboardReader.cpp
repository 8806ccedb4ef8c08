#include "platform/win32/Win32ClipboardReader.h"

#include <algorithm>
#include <string>

#include "platform/SecretMark.h"
#include "platform/win32/ClipboardWindow.h"
#include "platform/win32/OpenedClipboard.h"

namespace vardelo {

using namespace std::chrono_literals;

namespace {

constexpr auto FirstRetry = 10ms;
constexpr auto LongestRetry = 640ms;

std::wstring formatName(const char* name)
{
    return QString::fromLatin1(name).toStdWString();
}

/// Whether the clipboard's owner keeps its content from clipboard tools: password managers do so.
bool isMarkedSecret(const OpenedClipboard& clipboard)
{
    for (const char* exclusion : WindowsMonitorExclusions) {
        if (clipboard.hasFormat(formatName(exclusion).c_str())) {
            return true;
        }
    }
    const std::optional<std::string> history = clipboard.formatBytes(formatName(WindowsHistoryPermission).c_str());
    return history && isHistoryRefusal(QByteArrayView(history->data(), qsizetype(history->size())));
}

} // namespace

std::unique_ptr<Win32ClipboardReader> Win32ClipboardReader::create()
{
    std::unique_ptr<Win32ClipboardReader> reader(new Win32ClipboardReader);
    if (reader->m_window->handle() == nullptr || !reader->m_window->listening()) {
        return nullptr;
    }
    return reader;
}

Win32ClipboardReader::Win32ClipboardReader()
    : m_window(std::make_unique<ClipboardWindow>([this] { clipboardChanged(); }))
    , m_backoff(FirstRetry)
{
    m_retry.setSingleShot(true);
    m_retry.setTimerType(Qt::PreciseTimer);
    // Whoever reads on a timer may be resting: tell it to try again.
    connect(&m_retry, &QTimer::timeout, this, [this] { notifyChange(); });
}

Win32ClipboardReader::~Win32ClipboardReader() = default;

Result<ClipboardContent> Win32ClipboardReader::read()
{
    const unsigned long now = OpenedClipboard::sequenceNumber();
    if (now != 0 && now == m_sequence) {
        return m_content;
    }
    if (m_retry.isActive()) {
        return Result<ClipboardContent>::failure(QStringLiteral("Буфер обмена занят другой программой."));
    }
    const OpenedClipboard clipboard(m_window->handle());
    if (!clipboard.isOpen()) {
        return failLater(QStringLiteral("Буфер обмена занят другой программой."));
    }
    // Read while the clipboard is open, this number belongs to what is read.
    const unsigned long sequence = OpenedClipboard::sequenceNumber();
    if (const Status status = readOpened(clipboard); !status.ok()) {
        return failLater(status.reason());
    }
    m_sequence = sequence;
    m_backoff = FirstRetry;
    return m_content;
}

Status Win32ClipboardReader::readOpened(const OpenedClipboard& clipboard)
{
    if (isMarkedSecret(clipboard)) {
        m_content = {QString(), true};
        return Status::success();
    }
    if (!clipboard.hasText()) {
        m_content = {};
        return Status::success();
    }
    const std::optional<std::u16string> text = clipboard.text();
    if (!text) {
        return Status::failure(QStringLiteral("Программа, из которой скопирован текст, не отдала его."));
    }
    // Keep the old string when the text is the same: the capture then compares two shared strings at no cost.
    // Taken unit for unit: fromStdU16String would drop a leading byte-order mark.
    QString fresh(reinterpret_cast<const QChar*>(text->data()), qsizetype(text->size()));
    if (m_content.secret || fresh != m_content.text) {
        m_content = {std::move(fresh), false};
    }
    return Status::success();
}

Result<ClipboardContent> Win32ClipboardReader::failLater(const QString& reason)
{
    m_sequence = 0;
    m_retry.start(m_backoff);
    m_backoff = std::min(m_backoff * 2, std::chrono::milliseconds(LongestRetry));
    return Result<ClipboardContent>::failure(reason);
}

void Win32ClipboardReader::clipboardChanged()
{
    // A new content is worth reading at once, whatever the last attempt ran into.
    m_retry.stop();
    m_backoff = FirstRetry;
    notifyChange();
}

} // namespace vardelo
