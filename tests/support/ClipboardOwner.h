#pragma once

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

    /// Takes the clipboard with these bytes, offered as UTF-8 text; returns once xclip owns it.
    bool copy(const QByteArray& bytes, const QString& target = QStringLiteral("UTF8_STRING"))
    {
        stop();
        m_process.setProcessChannelMode(QProcess::MergedChannels);
        m_process.start(QStringLiteral("xclip"),
                        QStringList{"-quiet", "-selection", "clipboard", "-target", target, "-i"});
        if (!m_process.waitForStarted(5000)) {
            return false;
        }
        m_process.write(bytes);
        m_process.closeWriteChannel();
        // xclip says so once it owns the selection.
        QByteArray said;
        while (!said.contains("Waiting for selection requests")) {
            if (!m_process.waitForReadyRead(10000)) {
                return false;
            }
            said += m_process.readAll();
        }
        return true;
    }

    qint64 pid() const { return m_process.processId(); }

    void stop()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished(5000);
        }
    }

private:
    QProcess m_process;
};

} // namespace vardelo::test
