#pragma once

#include <signal.h>

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

    qint64 pid() const { return m_process.processId(); }
    /// Stops the owner as a debugger or an overloaded machine would (SIGSTOP), or lets it go on (SIGCONT).
    void pause(bool paused) { ::kill(static_cast<pid_t>(pid()), paused ? SIGSTOP : SIGCONT); }

    /// Everything the owner printed so far, such as the test owner's request log.
    QByteArray output()
    {
        m_output += m_process.readAll();
        return m_output;
    }

    void stop()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished(5000);
        }
    }

private:
    bool start(const QString& program, const QStringList& arguments, const QByteArray& bytes, const QByteArray& ready)
    {
        stop();
        m_output.clear();
        m_process.setProcessChannelMode(QProcess::MergedChannels);
        m_process.start(program, arguments);
        if (!m_process.waitForStarted(5000)) {
            return false;
        }
        m_process.write(bytes);
        m_process.closeWriteChannel();
        // Both owners say so once they own the selection.
        while (!m_output.contains(ready)) {
            if (!m_process.waitForReadyRead(10000)) {
                return false;
            }
            m_output += m_process.readAll();
        }
        return true;
    }

    QProcess m_process;
    QByteArray m_output;
};

} // namespace vardelo::test
