#include "platform/clipboard/win32/Win32ClipboardReader.h"

#include <string>

#include "platform/clipboard/SecretMark.h"
#include "platform/clipboard/win32/ClipboardWorker.h"
#include "platform/clipboard/win32/OpenedClipboard.h"

namespace vardelo {

namespace {

std::wstring formatName(const char* name)
{
    return QString::fromLatin1(name).toStdWString();
}

/// Whether the clipboard's owner keeps its content from clipboard tools: password managers do so.
bool carriesSecretMark(const OpenedClipboard& clipboard)
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
    return reader->m_worker->listening() ? std::move(reader) : nullptr;
}

Win32ClipboardReader::Win32ClipboardReader()
    : m_mailbox(std::make_shared<Mailbox>())
{
    m_mailbox->reader = this;
    const auto noticed
        = [mailbox = m_mailbox] { post(mailbox, [](Win32ClipboardReader& reader) { reader.m_current = false; }); };
    const auto publish = [mailbox = m_mailbox](ClipboardSnapshot snapshot) {
        auto shared = std::make_shared<const ClipboardSnapshot>(std::move(snapshot));
        post(mailbox, [shared](Win32ClipboardReader& reader) { reader.accept(*shared); });
    };
    m_worker = std::make_unique<ClipboardWorker>(std::size_t(MaxClipboardBytes), &carriesSecretMark, noticed, publish);
}

void Win32ClipboardReader::post(const std::shared_ptr<Mailbox>& mailbox, std::function<void(Win32ClipboardReader&)> fn)
{
    const std::lock_guard<std::mutex> lock(mailbox->mutex);
    if (Win32ClipboardReader* reader = mailbox->reader) {
        QMetaObject::invokeMethod(
            reader, [reader, fn = std::move(fn)] { fn(*reader); }, Qt::QueuedConnection);
    }
}

Win32ClipboardReader::~Win32ClipboardReader()
{
    {
        const std::lock_guard<std::mutex> lock(m_mailbox->mutex);
        m_mailbox->reader = nullptr;
    }
    m_worker.reset();
}

Result<ClipboardContent> Win32ClipboardReader::read()
{
    if (m_current) {
        return m_failure.isEmpty() ? Result<ClipboardContent>(m_content) : Result<ClipboardContent>::failure(m_failure);
    }
    return Result<ClipboardContent>::failure(QStringLiteral("Буфер обмена ещё не прочитан: его держит открытым "
                                                            "другая программа или его текст ещё не отдан."));
}

void Win32ClipboardReader::accept(const ClipboardSnapshot& snapshot)
{
    m_current = true;
    if (snapshot.tooLarge) {
        m_failure = tooLargeToRead();
        notifyChange();
        return;
    }
    if (snapshot.unchanged) {
        notifyChange();
        return;
    }
    m_failure.clear();
    // Taken unit for unit: fromStdU16String would drop a leading byte-order mark.
    QString fresh(reinterpret_cast<const QChar*>(snapshot.text.data()), qsizetype(snapshot.text.size()));
    // Keep the old string when the text is the same: the capture then compares two shared strings at no cost.
    if (snapshot.secret || m_content.secret || fresh != m_content.text) {
        m_content = {snapshot.secret ? QString() : std::move(fresh), snapshot.secret};
    }
    notifyChange();
}

} // namespace vardelo
