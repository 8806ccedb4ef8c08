#include "bench/BenchSupport.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTimer>

namespace vardelo::bench {

QString sampleText(qsizetype characters)
{
    QString text;
    text.reserve(characters + 100);
    for (int line = 0; text.size() < characters; ++line) {
        text += QStringLiteral("%1. Съешь же ещё этих мягких французских булок, да выпей чаю. Quick brown fox.\r\n")
                    .arg(line);
    }
    text.truncate(characters);
    return text;
}

void runFor(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
}

bool runUntil(const std::function<bool()>& done, int timeoutMs)
{
    QElapsedTimer elapsed;
    elapsed.start();
    while (!done()) {
        if (elapsed.elapsed() > timeoutMs) {
            return false;
        }
        runFor(1);
    }
    return true;
}

namespace {

qint64 statusKb(const QByteArray& field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) {
        return 0;
    }
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(field)) {
            return line.mid(field.size()).trimmed().split(' ').value(0).toLongLong();
        }
    }
    return 0;
}

} // namespace

qint64 peakMemoryKb()
{
    return statusKb("VmHWM:");
}

qint64 currentMemoryKb()
{
    return statusKb("VmRSS:");
}

void resetPeakMemory()
{
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly)) {
        clear.write("5");
    }
}

} // namespace vardelo::bench
