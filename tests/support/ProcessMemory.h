#pragma once

#include <QByteArray>
#include <QFile>

namespace vardelo::test {

/// A figure of this process's memory from /proc/self/status in bytes, such as "VmRSS:" (now) or "VmHWM:" (the
/// most so far); -1 when it cannot be read.
inline qint64 processMemory(const char* field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) {
        return -1;
    }
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(field)) {
            return line.mid(qstrlen(field)).trimmed().split(' ').value(0).toLongLong() * 1024;
        }
    }
    return -1;
}

} // namespace vardelo::test
