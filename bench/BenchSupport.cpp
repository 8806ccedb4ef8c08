#include "bench/BenchSupport.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
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

QHash<QByteArray, double> runChildFigures(
    const QStringList& arguments, int timeoutMs, const QProcessEnvironment& environment)
{
    QProcess child;
    child.setProcessEnvironment(environment);
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QCoreApplication::applicationFilePath(), QStringList {QStringLiteral("--child")} + arguments);
    child.waitForFinished(timeoutMs);
    QHash<QByteArray, double> figures;
    for (const QByteArray& line : child.readAllStandardOutput().split('\n')) {
        const QList<QByteArray> pair = line.split(' ');
        if (pair.size() == 2) {
            figures.insert(pair.at(0), pair.at(1).toDouble());
        }
    }
    return figures;
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
