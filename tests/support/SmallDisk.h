#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace vardelo::test {

/// A tiny tmpfs mounted for one test, to see what saving does on a full or read-only disk. Needs root.
class SmallDisk final
{
public:
    explicit SmallDisk(const QString& options)
    {
        m_mounted = m_dir.isValid()
            && QProcess::execute(QStringLiteral("mount"),
                   {QStringLiteral("-t"), QStringLiteral("tmpfs"), QStringLiteral("-o"), options,
                       QStringLiteral("tmpfs"), m_dir.path()})
                == 0;
    }
    ~SmallDisk()
    {
        if (m_mounted) {
            QProcess::execute(QStringLiteral("umount"), {m_dir.path()});
        }
    }
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;

    bool mounted() const { return m_mounted; }
    QString root() const { return m_dir.path() + QLatin1Char('/'); }
    /// Makes the mounted disk read-only.
    bool makeReadOnly() const
    {
        return QProcess::execute(
                   QStringLiteral("mount"), {QStringLiteral("-o"), QStringLiteral("remount,ro"), m_dir.path()})
            == 0;
    }

private:
    QTemporaryDir m_dir;
    bool m_mounted = false;
};

} // namespace vardelo::test
