#pragma once

#include <signal.h>

#include <memory>

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>

namespace vardelo::test {

/// Another program that takes the X clipboard with a text, as a user's copy in another program does:
/// xclip, or the project's test owner where a test needs an owner that xclip cannot play. It runs until a
/// newer copy takes the clipboard from it.
class ClipboardOwner final
{
public:
    ClipboardOwner() = default;
    ~ClipboardOwner() { stop(); }
    ClipboardOwner(const ClipboardOwner&) = delete;
    ClipboardOwner& operator=(const ClipboardOwner&) = delete;

    /// Takes the clipboard with these bytes through xclip, offered as this target only; returns once
    /// xclip owns it.
    bool copy(const QByteArray& bytes, const QString& target = QStringLiteral("UTF8_STRING"))
    {
        return start(QStringLiteral("xclip"), {"-quiet", "-selection", "clipboard", "-target", target, "-i"}, bytes,
            "Waiting for selection requests");
    }

    /// Takes the clipboard through the test owner (tests/support/test_owner.cpp) with these options;
    /// returns once it owns the clipboard.
    bool own(const QByteArray& bytes, const QStringList& options = {})
    {
        return start(QStringLiteral(VARDELO_TEST_OWNER), options, bytes, "owning");
    }

    qint64 pid() const { return m_process ? m_process->processId() : 0; }
    /// Stops the owner as a debugger or an overloaded machine would (SIGSTOP), or lets it go on (SIGCONT).
    void pause(bool paused) { ::kill(static_cast<pid_t>(pid()), paused ? SIGSTOP : SIGCONT); }

    /// Everything the owner printed so far, such as the test owner's request log.
    QByteArray output()
    {
        if (m_process) {
            m_output += m_process->readAll();
        }
        return m_output;
    }

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
    /// The previous owner is ended only once the new one owns the clipboard, as in real use: ending it
    /// first would leave the clipboard without an owner in between.
    bool start(const QString& program, const QStringList& arguments, const QByteArray& bytes, const QByteArray& ready)
    {
        auto next = std::make_unique<QProcess>();
        QByteArray said;
        next->setProcessChannelMode(QProcess::MergedChannels);
        next->start(program, arguments);
        if (!next->waitForStarted(5000)) {
            return false;
        }
        next->write(bytes);
        next->closeWriteChannel();
        // Both owners say so once they own the selection.
        while (!said.contains(ready)) {
            if (!next->waitForReadyRead(10000)) {
                return false;
            }
            said += next->readAll();
        }
        stop();
        m_process = std::move(next);
        m_output = said;
        return true;
    }

    std::unique_ptr<QProcess> m_process;
    QByteArray m_output;
};

} // namespace vardelo::test
