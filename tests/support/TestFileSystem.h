#pragma once

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace vardelo::test {

/// The tests' own file system (tests/support/test_fs.cpp) mounted over a folder of its own for one test: a disk
/// whose writes wait while a gate is shut, take nothing, or whose folders fail to sync. Needs root, or FUSE.
class TestFileSystem final
{
public:
    explicit TestFileSystem(const QStringList& options = {})
    {
        QDir(m_dir.path()).mkpath(QStringLiteral("backing"));
        QDir(m_dir.path()).mkpath(QStringLiteral("mounted"));
#ifdef VARDELO_TEST_FS
        QStringList arguments {m_dir.filePath(QStringLiteral("backing")), m_dir.filePath(QStringLiteral("mounted")),
            QStringLiteral("--hold-while"), gate()};
        m_process.start(QStringLiteral(VARDELO_TEST_FS), arguments + options);
        QByteArray said;
        while (!said.contains("mounted") && m_process.waitForReadyRead(10000)) {
            said += m_process.readAllStandardOutput();
        }
        m_mounted = said.contains("mounted");
#else
        // Only where there is FUSE.
        Q_UNUSED(options);
#endif
    }
    ~TestFileSystem()
    {
        if (!m_mounted) {
            return;
        }
        open();
        QProcess::execute(
            QStringLiteral("fusermount3"), {QStringLiteral("-u"), m_dir.filePath(QStringLiteral("mounted"))});
        m_process.terminate();
        m_process.waitForFinished(10000);
    }
    TestFileSystem(const TestFileSystem&) = delete;
    TestFileSystem& operator=(const TestFileSystem&) = delete;

    bool mounted() const
    {
        return m_mounted;
    }
    QString root() const
    {
        return m_dir.filePath(QStringLiteral("mounted")) + QLatin1Char('/');
    }
    /// Every write waits from now on, until open().
    void shut() const
    {
        QFile(gate()).open(QIODevice::WriteOnly);
    }
    void open() const
    {
        QFile::remove(gate());
    }

private:
    QString gate() const
    {
        return m_dir.filePath(QStringLiteral("gate"));
    }

    QTemporaryDir m_dir;
    QProcess m_process;
    bool m_mounted = false;
};

} // namespace vardelo::test
