#pragma once

#include <memory>

#include <QWidget>

namespace vardelo {

class PlatformServices;
class ProgramWindows;
class Timer;

/// The splash window `logotip`: a borderless picture that opens the program and, 1500 ms later, hands
/// over to the main window and closes for good.
class Splash final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Splash)

public:
    Splash(PlatformServices& platform, ProgramWindows& windows);
    ~Splash() override;

private:
    void Timer1_Timer();

    ProgramWindows& m_windows;
    std::unique_ptr<Timer> m_timer;
};

} // namespace vardelo
