#pragma once

#include <functional>

#include <QByteArray>
#include <QHash>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

namespace vardelo::bench {

/// Lines of Russian and Latin text with CR LF, all of it encodable in Windows-1251.
QString sampleText(qsizetype characters);

/// Runs this benchmark again as a child with these arguments (after "--child"), waits for it at most timeoutMs
/// and gives the figures it printed, one "name value" a line.
QHash<QByteArray, double> runChildFigures(const QStringList& arguments, int timeoutMs,
    const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment());

/// Runs the event loop for ms milliseconds.
void runFor(int ms);
/// Runs the event loop until done() holds, or for timeoutMs at most; says whether it held.
bool runUntil(const std::function<bool()>& done, int timeoutMs);

/// The most memory this process has held so far (VmHWM), in KiB; 0 where the system does not say.
qint64 peakMemoryKb();
/// The memory this process holds now (VmRSS), in KiB.
qint64 currentMemoryKb();
/// Starts the peak over from what the process holds now (Linux 4.0 and later).
void resetPeakMemory();

} // namespace vardelo::bench
