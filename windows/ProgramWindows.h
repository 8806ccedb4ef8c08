#pragma once

#include <QObject>
#include <QPointer>

namespace vardelo {

class MainWindow;
class PlatformServices;
class SaveWindow;

/// The program's windows, one instance of each at most: created when first shown, gone when closed.
/// Closed windows delete themselves; whatever is still open when this object goes is deleted with it.
/// When the last window has gone, allClosed() tells the program to end.
class ProgramWindows final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ProgramWindows)

public:
    explicit ProgramWindows(PlatformServices& platform);
    ~ProgramWindows() override;

    /// Shows the main window, creating it (and so starting the capture) if it does not exist.
    MainWindow& showMain();
    /// The main window, or nullptr when it does not exist.
    MainWindow* main() const;

    /// Shows the save window, creating it if it does not exist; a visible one stays as it is.
    SaveWindow& showSave();
    /// The save window, or nullptr when it does not exist.
    SaveWindow* save() const;
    /// Closes the save window if it is open; does nothing otherwise. False when the window is writing a file:
    /// it closes once the file is written.
    bool closeSave();
    /// Closes the main window once the file being written is safely written and the printing system has taken
    /// every print asked for; a failed write or print leaves it open.
    void closeMainWhenDone() { m_closeMainWhenDone = true; }
    /// A save or a print has ended, written or printed as succeeded says.
    void workEnded(bool succeeded);

    /// Starts tracking the splash window, which the start-up creates.
    void adoptSplash(QWidget* splash);
    QWidget* splash() const { return m_splash; }

    /// Closes the splash window if it is open; does nothing otherwise.
    void closeSplash();

    /// Whether any of the program's windows is still open (hidden ones included).
    bool anyOpen() const;

Q_SIGNALS:
    /// The last window has gone.
    void allClosed();

private:
    void track(QWidget* window);
    void forget(QObject* window);

    PlatformServices& m_platform;
    // Held as plain widgets: while a window is being destroyed it is no longer a MainWindow or SaveWindow,
    // and a typed pointer to it must not be formed then.
    QPointer<QWidget> m_splash;
    QPointer<QWidget> m_main;
    QPointer<QWidget> m_save;
    bool m_closeMainWhenDone = false;
};

} // namespace vardelo
