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

qint64 peakMemoryKb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) {
        return 0;
    }
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:")) {
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
        }
    }
    return 0;
}

} // namespace vardelo::bench
