#pragma once

#include <QWidget>

#include "platform/textfile/AtomicFile.h"
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
    /// Whether a file is being written. Meanwhile the window's button does nothing, and closing the window
    /// waits for the file: the window closes once it is written and stays open when the write fails.
    bool isSaving() const { return m_saving; }

Q_SIGNALS:
    /// A save has ended: the file is safely written, or not.
    void saveEnded(bool written);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void Command1_Click();
    void saveEndedAs(const QString& path, const Result<WrittenFile>& written);
    void setSaving(bool saving);
    void showError(const QString& path, const QString& reason);

    PlatformServices& m_platform;
    ProgramWindows& m_windows;
    SaveLocation m_location;
    QLabel* m_label = nullptr;
    QLineEdit* m_name = nullptr;
    bool m_saving = false;
    bool m_closeWhenSaved = false;
};

} // namespace vardelo
