#include "windows/ProgramWindows.h"

#include <utility>

#include "windows/MainWindow.h"
#include "windows/SaveWindow.h"

namespace vardelo {

ProgramWindows::ProgramWindows(PlatformServices& platform)
    : m_platform(platform)
{ }

ProgramWindows::~ProgramWindows()
{
    // Windows still open at the end are ours to delete; disconnect first so that nothing reports back.
    for (QWidget* window : {m_save.data(), m_main.data(), m_splash.data()}) {
        if (window != nullptr) {
            disconnect(window, nullptr, this, nullptr);
            delete window;
        }
    }
}

MainWindow& ProgramWindows::showMain()
{
    if (m_main == nullptr) {
        m_main = new MainWindow(m_platform, *this); // deletes itself when closed, or here at the end
        track(m_main);
    }
    m_main->show();
    return *main();
}

MainWindow* ProgramWindows::main() const
{
    return static_cast<MainWindow*>(m_main.data());
}

SaveWindow& ProgramWindows::showSave()
{
    if (m_save == nullptr) {
        m_save = new SaveWindow(m_platform, *this); // deletes itself when closed, or here at the end
        track(m_save);
        connect(save(), &SaveWindow::saveEnded, this, &ProgramWindows::workEnded);
        m_save->show();
    } else if (!m_save->isVisible()) {
        save()->showAgain();
    }
    return *save();
}

SaveWindow* ProgramWindows::save() const
{
    return static_cast<SaveWindow*>(m_save.data());
}

bool ProgramWindows::closeSave()
{
    if (m_save != nullptr) {
        m_save->close();
    }
    return m_save == nullptr || !save()->isSaving();
}

void ProgramWindows::workEnded(bool succeeded)
{
    // Closing again waits once more for whatever is still under way.
    if (std::exchange(m_closeMainWhenDone, false) && succeeded && m_main != nullptr) {
        m_main->close();
    }
}

void ProgramWindows::adoptSplash(QWidget* splash)
{
    m_splash = splash;
    track(splash);
}

void ProgramWindows::closeSplash()
{
    if (m_splash != nullptr) {
        m_splash->close();
    }
}

bool ProgramWindows::anyOpen() const
{
    return m_main != nullptr || m_splash != nullptr || m_save != nullptr;
}

void ProgramWindows::track(QWidget* window)
{
    window->setAttribute(Qt::WA_DeleteOnClose);
    connect(window, &QObject::destroyed, this, &ProgramWindows::forget);
}

void ProgramWindows::forget(QObject* window)
{
    // QPointer may not have noticed yet while the window's destructor runs.
    if (window == m_main) {
        m_main = nullptr;
    }
    if (window == m_splash) {
        m_splash = nullptr;
    }
    if (window == m_save) {
        m_save = nullptr;
    }
    if (!anyOpen()) {
        Q_EMIT allClosed();
    }
}

} // namespace vardelo
