#pragma once

#include <functional>
#include <memory>

#include <QWidget>

#include "collect/CaptureRule.h"
#include "platform/textfile/TextFileEncoding.h"

class QLabel;

namespace vardelo {

class DocumentBox;
class HiddenTextBox;
class PlatformServices;
class ProgramWindows;
class Timer;

/// The main window `main`: the collection document, five picture buttons (New, Save, Print, Help, Close)
/// and a clock. Creating it starts the capture.
class MainWindow final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(MainWindow)

public:
    MainWindow(PlatformServices& platform, ProgramWindows& windows);
    ~MainWindow() override;

    /// The collection document as it stands now.
    Result<QString> readDocument() const;
    /// The collection document as it stands now, read on another thread: see DocumentBox::readLater().
    TextPieces readDocumentLater();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildControls();
    void Form_Load();
    void Timer1_Timer();
    /// The clipboard may hold something new: the capture ticks again.
    void wakeCapture();
    void Timer2_Timer();
    void Command4_Click();
    void Command2_Click();
    void Command1_Click();
    void printEnded(const Status& printed);
    void Command5_Click();
    void Command3_Click();

    PlatformServices& m_platform;
    ProgramWindows& m_windows;
    DocumentBox* m_document = nullptr;
    HiddenTextBox* m_lastCaptured = nullptr;
    QLabel* m_clock = nullptr;
    std::unique_ptr<CaptureRule> m_capture;
    std::unique_ptr<Timer> m_captureTimer;
    std::unique_ptr<Timer> m_clockTimer;
    bool m_changeNoticed = false;
    /// Prints asked for whose jobs the printing system has not taken yet.
    int m_printsUnderWay = 0;
};

} // namespace vardelo
