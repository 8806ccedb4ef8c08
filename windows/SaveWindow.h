#pragma once

#include <QWidget>

#include "windows/SaveLocation.h"

class QLabel;
class QLineEdit;

namespace vardelo {

class PlatformServices;
class ProgramWindows;

/// The save window `save`: asks for a file name and writes the collection document to it. It does not
/// block the main window; after a successful save it hides and keeps the name for next time.
class SaveWindow final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SaveWindow)

public:
    SaveWindow(PlatformServices& platform, ProgramWindows& windows);
    ~SaveWindow() override;

    /// Shows the window again with the name it had, ready for a new name.
    void showAgain();

private:
    void Command1_Click();
    void showError(const QString& path, const QString& reason);

    PlatformServices& m_platform;
    ProgramWindows& m_windows;
    SaveLocation m_location;
    QLabel* m_label = nullptr;
    QLineEdit* m_name = nullptr;
};

} // namespace vardelo
