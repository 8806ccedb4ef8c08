#include "windows/MainWindow.h"

#include <QCloseEvent>
#include <QGroupBox>
#include <QIcon>
#include <QLabel>
#include <QPointer>
#include <QToolButton>

#include "platform/PlatformServices.h"
#include "windows/AccessibleRole.h"
#include "windows/DocumentBox.h"
#include "windows/FixedWindow.h"
#include "windows/HelpMessage.h"
#include "windows/HiddenTextBox.h"
#include "windows/LineControl.h"
#include "windows/MainWindowLayout.h"
#include "windows/ProgramWindows.h"
#include "windows/SystemColours.h"
#include "windows/WindowPlacement.h"

namespace vardelo {

using namespace std::chrono_literals;

namespace {

constexpr auto CaptureInterval = 10ms;
constexpr auto ClockInterval = 1000ms;
/// The clock ticks this long after each whole second, so that it always reads the second just begun, also on
/// a system timer that may tick a clock tick (15.6 ms on Windows) early.
constexpr auto ClockLag = 20ms;

} // namespace

MainWindow::MainWindow(PlatformServices& platform, ProgramWindows& windows)
    : QWidget(nullptr, FixedDialogFrame)
    , m_platform(platform)
    , m_windows(windows)
{
    setUpFixedWindow(this, QStringLiteral("main"), QStringLiteral("Vardelo"),
        QSize(mainlayout::Width / TwipsPerPixel, mainlayout::Height / TwipsPerPixel));
    setAccessibleRole(this, QAccessible::Window);
    buildControls();
    centreOnScreen(this);

    m_capture = std::make_unique<CaptureRule>(m_platform.clipboard(), *m_document, *m_lastCaptured);
    Form_Load();
    m_captureTimer = m_platform.createTimer(CaptureInterval, [this] { Timer1_Timer(); });
    m_clockTimer = m_platform.createTimer(ClockInterval, [this] { Timer2_Timer(); });
    m_platform.clipboard().setChangeListener([this] { wakeCapture(); });
    m_captureTimer->start();
    m_clockTimer->start();
}

MainWindow::~MainWindow()
{
    m_platform.clipboard().setChangeListener({});
}

void MainWindow::buildControls()
{
    m_document = new DocumentBox(this);
    m_document->setObjectName(QStringLiteral("vardelo"));
    m_document->setGeometry(mainlayout::Document.toPixels());
    m_document->setTabChangesFocus(true);
    m_document->setAccessibleName(QStringLiteral("Собранный текст"));
    m_document->setAccessibleDescription(
        QStringLiteral("Сюда добавляется каждый текст, который вы копируете в любой программе."));
    useDesktopColourForTextBox(m_document);

    const std::array<void (MainWindow::*)(), 5> handlers {&MainWindow::Command4_Click, &MainWindow::Command2_Click,
        &MainWindow::Command1_Click, &MainWindow::Command5_Click, &MainWindow::Command3_Click};
    const QIcon picture(QStringLiteral(":/assets/button.png"));
    QWidget* previous = m_document;
    for (std::size_t i = 0; i < mainlayout::Buttons.size(); ++i) {
        const mainlayout::Button& entry = mainlayout::Buttons[i];
        auto* button = new QToolButton(this);
        button->setObjectName(QString::fromLatin1(entry.name));
        button->setText(QString::fromUtf8(entry.caption));
        button->setGeometry(entry.place.toPixels());
        button->setIcon(picture);
        button->setIconSize(QSize(32, 32));
        button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        button->setFocusPolicy(Qt::StrongFocus);
        useDesktopColourForButton(button);
        connect(button, &QToolButton::clicked, this, handlers[i]);
        setTabOrder(previous, button);
        previous = button;
    }

    auto* frame = new QGroupBox(QString::fromUtf8(mainlayout::Frame1Caption), this);
    frame->setObjectName(QStringLiteral("Frame1"));
    frame->setGeometry(mainlayout::Frame1.toPixels());
    useDesktopColour(frame);

    m_clock = new QLabel(QStringLiteral("00:00:00"), frame);
    m_clock->setObjectName(QStringLiteral("Label1"));
    m_clock->setGeometry(mainlayout::Label1.toPixels());
    m_clock->setAlignment(Qt::AlignCenter);
    QFont clockFont(QStringLiteral("MS Sans Serif"), 18, QFont::Normal);
    clockFont.setStyleHint(QFont::SansSerif);
    m_clock->setFont(clockFont);
    useDesktopColour(m_clock);

    m_lastCaptured = new HiddenTextBox(this);
    m_lastCaptured->setObjectName(QStringLiteral("TTT"));

    LineControl::addAll(mainlayout::Lines, this);
    m_document->setFocus();
}

Result<QString> MainWindow::readDocument() const
{
    return m_capture->readDocument();
}

TextPieces MainWindow::readDocumentLater()
{
    return m_document->readLater();
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    // Nothing of the program may stay behind, hidden or not: the other windows go first. A file still being
    // written, or a print whose job the printing system has not taken yet, is finished first: the program
    // closes once they are done, and stays open, with the collection, when one fails.
    if (!m_windows.closeSave() || m_printsUnderWay > 0) {
        m_windows.closeMainWhenDone();
        event->ignore();
        return;
    }
    m_windows.closeSplash();
    m_platform.clipboard().setChangeListener({});
    m_captureTimer->stop();
    m_clockTimer->stop();
    event->accept();
}

void MainWindow::Form_Load()
{
    (void)m_capture->load();
}

void MainWindow::Timer1_Timer()
{
    // The capture rests while there is nothing to collect, or while a read waits on the clipboard's owner, and
    // the reader's next notice wakes it; a notice given while this tick ran must not be slept through.
    m_changeNoticed = false;
    if (m_capture->tick() == CaptureRule::TickResult::WaitForChange && !m_changeNoticed) {
        m_captureTimer->stop();
    }
}

void MainWindow::wakeCapture()
{
    m_changeNoticed = true;
    if (!m_captureTimer->isActive()) {
        m_captureTimer->start();
    }
}

void MainWindow::Timer2_Timer()
{
    m_clock->setText(m_platform.timeOfDay());
    // Ticking on the whole second keeps the clock from showing one second twice and skipping the next, as a
    // timer that only keeps its interval slowly drifts against the time of day.
    m_clockTimer->startIn(m_platform.untilNextSecond() + ClockLag);
}

void MainWindow::Command4_Click()
{
    if (const Status cleared = m_capture->clear(); !cleared.ok()) {
        m_platform.showMessage({Message::Icon::Warning, QStringLiteral("Ошибка"),
            QStringLiteral("Не удалось очистить документ.\n%1").arg(cleared.reason())});
    }
}

void MainWindow::Command2_Click()
{
    m_windows.showSave();
}

void MainWindow::Command1_Click()
{
    // The document as it stands now, read where the job is made; the program goes on meanwhile, and a second
    // press prints the document as it stands then, after this one.
    ++m_printsUnderWay;
    m_platform.print(m_document->readLater(), [window = QPointer<MainWindow>(this)](const Status& printed) {
        if (window != nullptr) {
            window->printEnded(printed);
        }
    });
}

void MainWindow::printEnded(const Status& printed)
{
    --m_printsUnderWay;
    if (!printed.ok()) {
        m_platform.showMessage({Message::Icon::Warning, QStringLiteral("Ошибка печати"),
            QStringLiteral("Не удалось распечатать документ.\n%1").arg(printed.reason())});
    }
    m_windows.workEnded(printed.ok());
}

void MainWindow::Command5_Click()
{
    showHelp(m_platform);
}

void MainWindow::Command3_Click()
{
    close();
}

} // namespace vardelo
