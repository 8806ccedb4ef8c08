#include "bench/LargeCopyBench.h"

#include <cstdio>

#include "bench/BenchProgram.h"
#include "bench/BenchSupport.h"
#include "platform/clipboard/x11/X11ClipboardReader.h"
#include "tests/support/ClipboardOwner.h"

namespace vardelo::bench {

namespace {

constexpr qsizetype MB = 1024 * 1024;
constexpr qsizetype CopyBytes = 200 * MB;
const QString Child = QStringLiteral("x11-200mb");

} // namespace

bool isLargeCopyChild(const QString& mode)
{
    return mode == Child;
}

int runLargeCopyChild()
{
    QByteArray bytes;
    bytes.reserve(CopyBytes + 200);
    for (int line = 0; bytes.size() < CopyBytes; ++line) {
        bytes += QStringLiteral("%1. Съешь же ещё этих мягких французских булок, да выпей чаю.\r\n").arg(line).toUtf8();
    }
    bytes.truncate(CopyBytes);
    const std::unique_ptr<X11ClipboardReader> reader = X11ClipboardReader::create();
    if (!reader || !runUntil([&] { return reader->read().ok(); }, 10000)) {
        return 1;
    }
    test::ClipboardOwner owner;
    if (!owner.own(bytes, {"--chunk", "1048576"})) {
        return 1;
    }
    const qsizetype characters = QString::fromUtf8(bytes).size();
    bytes = QByteArray();
    resetPeakMemory();
    const qint64 before = currentMemoryKb();
    TickGaps ticks(10);
    ticks.start();
    const qint64 start = nowNs();
    const bool read = runUntil(
        [&] {
            const Result<ClipboardContent> content = reader->read();
            return content.ok() && content.value().text.size() == characters;
        },
        120000);
    std::printf("read %d\nread-ms %f\nlongest-gap %f\npeak-added-kb %lld\ntext-kb %lld\n", read ? 1 : 0,
        double(nowNs() - start) / 1e6, ticks.longestMs(), peakMemoryKb() - before,
        static_cast<long long>(characters * qsizetype(sizeof(QChar)) / 1024));
    return 0;
}

void printLargeCopyTable()
{
    const QHash<QByteArray, double> figures = runChildFigures({Child}, 600000);
    const auto value = [&figures](const char* name) { return figures.value(name, -1); };
    const bool read = value("read") == 1;
    std::printf("\nA 200 MB Cyrillic text copied through X11 in chunks of 1 MB (the test owner), read by the X11 "
                "reader alone: %s in %.0f ms.\n\n",
        read ? "read whole" : "NOT read", value("read-ms"));
    std::printf("| %-52s | %-12s | %-28s | %-4s |\n", "measure", "figure", "goal", "");
    std::printf("|%s|%s|%s|%s|\n", QByteArray(54, '-').constData(), QByteArray(14, '-').constData(),
        QByteArray(30, '-').constData(), QByteArray(6, '-').constData());
    const double gap = value("longest-gap");
    std::printf("| %-52s | %-12s | %-28s | %-4s |\n", "longest gap between 10 ms ticks while it is read",
        qPrintable(QStringLiteral("%1 ms").arg(gap, 0, 'f', 1)), "<= 30 ms",
        read && gap >= 0 && gap <= 30 ? "PASS" : "MISS");
    const double peakMb = value("peak-added-kb") / 1024.0;
    const double limitMb = value("text-kb") / 1024.0 + 64;
    std::printf("| %-52s | %-12s | %-28s | %-4s |\n", "peak memory added (VmHWM)",
        qPrintable(QStringLiteral("%1 MB").arg(peakMb, 0, 'f', 0)),
        qPrintable(QStringLiteral("<= UTF-16 + 64 MiB (%1 MB)").arg(limitMb, 0, 'f', 0)),
        read && peakMb > 0 && peakMb <= limitMb ? "PASS" : "MISS");
}

} // namespace vardelo::bench
