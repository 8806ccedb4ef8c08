#include "bench/PrintBench.h"

#include <algorithm>
#include <cstdio>
#include <optional>

#include <QCoreApplication>
#include <QHash>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProcess>
#include <QTextDocument>
#include <QTextOption>

#include "bench/BenchProgram.h"
#include "bench/BenchSupport.h"
#include "collect/CaptureRule.h"

namespace vardelo::bench {

namespace {

constexpr qsizetype MB = 1024 * 1024;
const QString ProgramChild = QStringLiteral("print-program");
const QString FloorChild = QStringLiteral("print-floor");

/// The entries a collection of this size is made of, copied one at a time: lines of Russian text that fit a
/// page's width, as most collected lines do.
QString entry(int index)
{
    QString text;
    text.reserve(MB + 100);
    for (int line = 0; text.size() < MB; ++line) {
        text += QStringLiteral("%1.%2 Съешь же ещё этих мягких французских булок, да выпей чаю.\r\n")
                    .arg(index)
                    .arg(line);
    }
    text.truncate(MB);
    return text;
}

/// How many pages the newest job in the queue holds, read from the scheduler's spool; -1 where it cannot tell.
double newestJobPages()
{
    QProcess lpstat;
    lpstat.start(QStringLiteral("lpstat"), {QStringLiteral("-o")});
    lpstat.waitForFinished(30000);
    int newest = -1;
    for (const QByteArray& line : lpstat.readAllStandardOutput().split('\n')) {
        const QByteArray id = line.split(' ').value(0);
        newest = std::max(newest, id.mid(id.lastIndexOf('-') + 1).toInt());
    }
    QProcess pdfinfo;
    pdfinfo.start(
        QStringLiteral("pdfinfo"), {QStringLiteral("/var/spool/cups/d%1-001").arg(newest, 5, 10, QLatin1Char('0'))});
    pdfinfo.waitForFinished(60000);
    for (const QByteArray& line : pdfinfo.readAllStandardOutput().split('\n')) {
        if (line.startsWith("Pages:")) {
            return line.mid(6).trimmed().toDouble();
        }
    }
    return -1;
}

void printFigures(qint64 pressedAt, qint64 queuedAt, const TickGaps& ticks, qint64 memoryBeforeKb)
{
    std::printf("queued %f\nlongest-gap %f\npeak-added-kb %lld\n", double(queuedAt - pressedAt) / 1e6,
        ticks.longestMs(), peakMemoryKb() - memoryBeforeKb);
}

/// The program's main window with the collection, printing it while two texts are copied.
int runProgram(int megabytes)
{
    Program program;
    for (int i = 0; i < megabytes; ++i) {
        if (!program.copyAndWait(entry(i))) {
            return 1;
        }
    }
    const QString document = program.main.readDocument().value();
    const QStringList during {QStringLiteral("copied 0.3 s after the click"), QStringLiteral("copied 0.8 s after")};
    resetPeakMemory();
    const qint64 memoryBefore = currentMemoryKb();
    TickGaps ticks(10);
    ticks.start();
    const qint64 pressedAt = nowNs();
    program.click("Command1");
    QTimer::singleShot(300, [&] { program.platform.copied().copy(during[0]); });
    QTimer::singleShot(800, [&] { program.platform.copied().copy(during[1]); });
    if (!runUntil([&] { return !program.platform.printsEnded().empty(); }, 1200000)) {
        return 1;
    }
    const auto& [printed, queuedAt] = program.platform.printsEnded().front();
    printFigures(pressedAt, queuedAt, ticks, memoryBefore);
    runUntil([&] { return program.captured(during[1]) && program.box.isShowingEverything(); }, 60000);
    const QString sep = CaptureRule::separator();
    std::printf("printed %d\ncollected %d\n", printed.ok() ? 1 : 0,
        program.main.readDocument().value() == document + sep + during[0] + sep + during[1] ? 2 : 0);
    if (!printed.ok()) {
        std::fprintf(stderr, "print failed: %s\n", qPrintable(printed.reason()));
    }
    return 0;
}

/// What a naive port does in a bare program: the text into a QTextDocument and QTextDocument::print, on the
/// event loop, in the program's print font.
int runFloor(int megabytes)
{
    QString document;
    for (int i = 0; i < megabytes; ++i) {
        document += CaptureRule::separator() + entry(i);
    }
    resetPeakMemory();
    const qint64 memoryBefore = currentMemoryKb();
    TickGaps ticks(10);
    ticks.start();
    qint64 pressedAt = 0;
    std::optional<qint64> queuedAt;
    QTimer::singleShot(20, [&] {
        pressedAt = nowNs();
        QTextDocument text;
        QFont font;
        font.setFamilies({QStringLiteral("DejaVu Sans"), QStringLiteral("Liberation Sans"), QStringLiteral("Arial")});
        font.setStyleHint(QFont::SansSerif);
        font.setPointSize(11);
        text.setDefaultFont(font);
        QTextOption option = text.defaultTextOption();
        option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        text.setDefaultTextOption(option);
        text.setPlainText(document);
        QPrinter printer(QPrinterInfo::defaultPrinter(), QPrinter::HighResolution);
        text.print(&printer);
        queuedAt = nowNs();
    });
    runUntil([&] { return queuedAt.has_value(); }, 3600000);
    runFor(50);
    printFigures(pressedAt, *queuedAt, ticks, memoryBefore);
    return 0;
}

QHash<QByteArray, double> runChild(const QString& mode, int megabytes)
{
    QHash<QByteArray, double> figures = runChildFigures({mode, QString::number(megabytes)}, 3600000);
    figures.insert("pages", newestJobPages());
    // The queue holds its jobs; they are dropped, so that nothing prints them meanwhile.
    QProcess::execute(QStringLiteral("cancel"), {QStringLiteral("-a")});
    return figures;
}

QString ms(double value)
{
    return value < 0 ? QStringLiteral("failed") : QStringLiteral("%1 ms").arg(value, 0, 'f', value < 100 ? 1 : 0);
}

QString mb(double kb)
{
    return kb < 0 ? QStringLiteral("failed") : QStringLiteral("%1 MB").arg(kb / 1024.0, 0, 'f', 0);
}

void row(const QString& measure, const QString& figure, const QString& floor, const QString& goal, bool pass)
{
    std::printf("| %-52s | %-12s | %-12s | %-22s | %-4s |\n", qPrintable(measure), qPrintable(figure),
        qPrintable(floor), qPrintable(goal), pass ? "PASS" : "MISS");
}

} // namespace

bool isPrintChild(const QString& mode)
{
    return mode == ProgramChild || mode == FloorChild;
}

int runPrintChild(const QString& mode, int megabytes)
{
    return mode == ProgramChild ? runProgram(megabytes) : runFloor(megabytes);
}

void printPrintTable()
{
    std::printf("\nPrinting a collection built by captures of 1 MB on the default printer, a CUPS queue that holds "
                "its jobs (program: the main window's Print; floor: QTextDocument::print of the same text in a bare "
                "program).\n\n");
    std::printf("| %-52s | %-12s | %-12s | %-22s | %-4s |\n", "measure", "program", "floor", "goal", "");
    std::printf("|%s|%s|%s|%s|%s|\n", QByteArray(54, '-').constData(), QByteArray(14, '-').constData(),
        QByteArray(14, '-').constData(), QByteArray(24, '-').constData(), QByteArray(6, '-').constData());
    for (const int megabytes : {6, 53}) {
        const QHash<QByteArray, double> floor = runChild(FloorChild, megabytes);
        const QHash<QByteArray, double> program = runChild(ProgramChild, megabytes);
        const auto value
            = [](const QHash<QByteArray, double>& figures, const char* name) { return figures.value(name, -1); };
        const bool printed = value(program, "printed") == 1;
        const double gap = value(program, "longest-gap");
        row(QStringLiteral("%1 MB: longest gap between 10 ms ticks").arg(megabytes), ms(gap),
            ms(value(floor, "longest-gap")), "<= 30 ms", printed && gap >= 0 && gap <= 30);
        const double queued = value(program, "queued");
        const double floorQueued = value(floor, "queued");
        row("  click until the job is in the queue", ms(queued), ms(floorQueued),
            QStringLiteral("<= 1.2 x floor (%1)").arg(ms(1.2 * floorQueued)),
            printed && queued >= 0 && floorQueued > 0 && queued <= 1.2 * floorQueued);
        const double peak = value(program, "peak-added-kb");
        const double floorPeak = value(floor, "peak-added-kb");
        row("  peak memory added while printing (VmHWM)", mb(peak), mb(floorPeak), "<= floor",
            printed && peak >= 0 && peak <= floorPeak);
        row("  pages in the job (the floor's Qt cuts a tall layout short)", QString::number(value(program, "pages")),
            QString::number(value(floor, "pages")), "every line", printed && value(program, "pages") > 0);
        row("  copies made 0.3 s and 0.8 s after the click", QStringLiteral("%1 / 2").arg(value(program, "collected")),
            "-", "2 / 2", value(program, "collected") == 2);
    }
}

} // namespace vardelo::bench
