#pragma once

#include <memory>

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>

namespace vardelo::test {

/// Another program that takes the X clipboard with a text, as a user's copy in another program does:
/// xclip, running until a newer copy takes the clipboard from it.
class ClipboardOwner final
{
public:
    ClipboardOwner() = default;
    ~ClipboardOwner() { stop(); }
    ClipboardOwner(const ClipboardOwner&) = delete;
    ClipboardOwner& operator=(const ClipboardOwner&) = delete;

    /// Takes the clipboard with these bytes, offered under the given target; returns once xclip owns it.
    /// The previous owner is not killed but loses the clipboard to the new one and exits, as in real use:
    /// killing it first would empty the clipboard in between.
    bool copy(const QByteArray& bytes, const QString& target = QStringLiteral("UTF8_STRING"))
    {
        auto next = std::make_unique<QProcess>();
        next->setProcessChannelMode(QProcess::MergedChannels);
        next->start(
            QStringLiteral("xclip"), QStringList {"-quiet", "-selection", "clipboard", "-target", target, "-i"});
        if (!next->waitForStarted(5000)) {
            return false;
        }
        next->write(bytes);
        next->closeWriteChannel();
        // xclip says so once it owns the selection.
        QByteArray said;
        while (!said.contains("Waiting for selection requests")) {
            if (!next->waitForReadyRead(10000)) {
                return false;
            }
            said += next->readAll();
        }
        if (m_process) {
            m_process->waitForFinished(5000);
        }
        m_process = std::move(next);
        return true;
    }

    qint64 pid() const { return m_process ? m_process->processId() : 0; }

    /// Ends the current owner, which leaves the clipboard without an owner.
    void stop()
    {
        if (m_process && m_process->state() != QProcess::NotRunning) {
            m_process->kill();
            m_process->waitForFinished(5000);
        }
        m_process.reset();
    }

private:
    std::unique_ptr<QProcess> m_process;
};

} // namespace vardelo::test
