// Measures the capture on Windows (under wine): how soon after another program's copy the main window has
// it, against the floor of a bare Win32 window that reads the clipboard the moment Windows tells it of a
// change; and, for bench/run-windows, the idle programs whose wake-ups it counts from outside.
//
// vardelo_windows_bench                     prints the latency rows
// vardelo_windows_bench --idle MODE         floor | program | polling: prints "ready" and runs until killed

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <QTimer>

#include "bench/ClockFloorWindow.h"
#include "bench/PollingQClipboardReader.h"
#include "collect/CaptureRule.h"
#include "platform/clipboard/win32/ClipboardWindow.h"
#include "platform/clipboard/win32/OpenedClipboard.h"
#include "platform/qt/DesktopPlatform.h"
#include "platform/qt/QtPlatform.h"
#include "platform/qt/QtTimer.h"
#include "tests/support/PerformanceClock.h"
#include "tests/support/WindowsClipboardOwner.h"
#include "windows/DocumentBox.h"
#include "windows/HiddenTextBox.h"
#include "windows/MainWindow.h"
#include "windows/ProgramWindows.h"

using namespace vardelo;
using namespace std::chrono_literals;

namespace {

constexpr int Copies = 100;
constexpr int CopyIntervalMs = 50;

void runFor(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
}

/// A series of copies "series I" by the Windows test owner; latencies, in ms, from each copy to the moment
/// seen() first returns its text. Copies never seen count as missed.
struct SeriesResult
{
    std::vector<double> latenciesMs;
    int missed = 0;
};

SeriesResult measureSeries(const std::function<QString()>& seen)
{
    // A picture first, so that no text of an earlier series is taken for one of this.
    test::WindowsClipboardOwner picture;
    (void)picture.copy({}, {QStringLiteral("--picture")});
    runFor(300);

    std::vector<qint64> seenAt(Copies, 0);
    QProcess owner;
    owner.start(QCoreApplication::applicationDirPath() + QStringLiteral("/vardelo_win32_test_owner.exe"),
        {QStringLiteral("--series"), QString::number(Copies), QStringLiteral("--interval-ms"),
            QString::number(CopyIntervalMs)});
    owner.write("series");
    owner.closeWriteChannel();
    QByteArray said;
    QElapsedTimer elapsed;
    elapsed.start();
    while ((owner.state() != QProcess::NotRunning || owner.bytesAvailable() > 0) && elapsed.elapsed() < 60000) {
        // Polled every millisecond: what the program shows is read as soon as it can be.
        runFor(1);
        const QString text = seen();
        if (text.startsWith(QLatin1String("series "))) {
            const int index = text.mid(7).toInt();
            if (index >= 0 && index < Copies && seenAt[std::size_t(index)] == 0) {
                seenAt[std::size_t(index)] = test::performanceMicroseconds();
            }
        }
        said += owner.readAllStandardOutput();
    }
    runFor(200);
    said += owner.readAllStandardOutput();
    SeriesResult result;
    for (const QByteArray& line : said.split('\n')) {
        const QList<QByteArray> fields = line.trimmed().split(' ');
        if (fields.size() != 3 || fields[0] != "owning") {
            continue;
        }
        const int index = fields[1].toInt();
        const qint64 copiedAt = fields[2].toLongLong();
        const qint64 at = seenAt[std::size_t(index)];
        if (at == 0) {
            ++result.missed;
        } else {
            result.latenciesMs.push_back(double(at - copiedAt) / 1000.0);
        }
    }
    std::sort(result.latenciesMs.begin(), result.latenciesMs.end());
    return result;
}

double percentile(const std::vector<double>& sorted, double p)
{
    return sorted.empty() ? 0.0 : sorted[std::min(sorted.size() - 1, std::size_t(p * double(sorted.size())))];
}

/// The floor: a bare window that reads the clipboard the moment Windows says it changed.
SeriesResult floorSeries()
{
    QString last;
    std::unique_ptr<ClipboardWindow> window;
    window = std::make_unique<ClipboardWindow>([&] {
        OpenedClipboard clipboard(window->handle());
        if (clipboard.open()) {
            last = clipboard.text().value_or(last);
            clipboard.close();
        }
    });
    return measureSeries([&] { return last; });
}

/// The main window, on the reader the platform chooses here, or on the one given.
SeriesResult programSeries(std::unique_ptr<PlatformServices> platform)
{
    ProgramWindows windows(*platform);
    const auto* last = windows.showMain().findChild<HiddenTextBox*>(QStringLiteral("TTT"));
    return measureSeries([&] { return last->text().value(); });
}

void row(const char* what, const SeriesResult& result, const SeriesResult& floor)
{
    const double p50 = percentile(result.latenciesMs, 0.5);
    const double p99 = percentile(result.latenciesMs, 0.99);
    std::printf("| %-44s | %7.1f | %7.1f | %5.1f x | %5.1f x | %3d / %d |\n", what, p50, p99,
        p50 / std::max(0.1, percentile(floor.latenciesMs, 0.5)),
        p99 / std::max(0.1, percentile(floor.latenciesMs, 0.99)), Copies - result.missed, Copies);
}

int measureLatency()
{
    const SeriesResult floor = floorSeries();
    const SeriesResult program = programSeries(createDesktopPlatform());
    const SeriesResult polling
        = programSeries(std::make_unique<QtPlatform>(std::make_unique<bench::PollingQClipboardReader>()));
    std::printf("Capture latency under wine, from the owner's SetClipboardData, %d copies %d ms apart; ratios to "
                "the floor (a bare Win32 window that reads at once on WM_CLIPBOARDUPDATE).\n\n",
        Copies, CopyIntervalMs);
    std::printf("| %-44s | p50 ms  | p99 ms  | p50/fl  | p99/fl  | seen    |\n", "reader");
    std::printf("|%s|---------|---------|---------|---------|---------|\n", std::string(46, '-').c_str());
    row("floor: bare window, read on the notice", floor, floor);
    row("main window, Win32 reader", program, floor);
    row("main window, Qt's clipboard asked every tick", polling, floor);
    return 0;
}

/// The idle programs whose wake-ups bench/run-windows counts: "floor", a window whose label shows the time
/// once a second beside a text box; "program", the main window on the Win32 reader with 1 MB in its box;
/// "polling", the same on Qt's clipboard asked every 10 ms.
int runIdle(const QString& mode)
{
    const auto ready = [] {
        std::printf("ready\n");
        std::fflush(stdout);
        return QCoreApplication::exec();
    };
    // Lines of text, as users collect them; one line of a megabyte would measure line wrapping instead.
    const QString megabyte
        = QStringLiteral("Съешь же ещё этих мягких французских булок, да выпей чаю.\r\n").repeated(1024 * 1024 / 59);
    if (mode == QLatin1String("floor")) {
        bench::ClockFloorWindow window(megabyte);
        window.show();
        window.box()->setFocus();
        return ready();
    }
    std::unique_ptr<PlatformServices> platform = mode == QLatin1String("polling")
        ? std::make_unique<QtPlatform>(std::make_unique<bench::PollingQClipboardReader>())
        : createDesktopPlatform();
    ProgramWindows windows(*platform);
    (void)windows.showMain().findChild<DocumentBox*>(QStringLiteral("vardelo"))->setText(megabyte);
    return ready();
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() == 3 && arguments[1] == QLatin1String("--idle")) {
        return runIdle(arguments[2]);
    }
    return measureLatency();
}
