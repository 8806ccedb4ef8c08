#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QStringList>

namespace vardelo::test {

/// Another Windows program that copies: the project's win32_test_owner, started beside the test.
class WindowsClipboardOwner final
{
public:
    /// Starts a copy of these bytes (UTF-8, or 8-bit text with --ansi) with these options; returns once
    /// the owner has said `until`.
    bool copy(const QByteArray& bytes, const QStringList& options = {}, const QByteArray& until = "owning")
    {
        finish();
        m_process.start(
            QCoreApplication::applicationDirPath() + QStringLiteral("/vardelo_win32_test_owner.exe"), options);
        if (!m_process.waitForStarted(10000)) {
            return false;
        }
        m_process.write(bytes);
        m_process.closeWriteChannel();
        m_said.clear();
        return waitFor(until);
    }

    /// Waits until the owner has said this on a line of its own; false if it ends or 20 s pass first.
    bool waitFor(const QByteArray& word)
    {
        QElapsedTimer waited;
        waited.start();
        while (!said(word) && waited.elapsed() < 20000) {
            const bool ended = !m_process.waitForReadyRead(100) && m_process.state() == QProcess::NotRunning;
            // Its lines end in CR LF, as Windows programs write them.
            m_said += m_process.readAllStandardOutput().replace('\r', "");
            if (ended) {
                break;
            }
        }
        return said(word);
    }

    /// Waits for the owner to end; its copy stays on the clipboard.
    void finish()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.waitForFinished(20000);
        }
    }

    ~WindowsClipboardOwner() { finish(); }

private:
    bool said(const QByteArray& word) const { return m_said.split('\n').contains(word); }

    QProcess m_process;
    QByteArray m_said;
};

} // namespace vardelo::test
