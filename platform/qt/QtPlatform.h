#pragma once

#include <memory>

#include "platform/PlatformServices.h"
#include "platform/print/DocumentPrinter.h"
#include "platform/textfile/BackgroundFileWriter.h"

namespace vardelo {

/// The platform services of the real desktop, through Qt.
class QtPlatform final : public PlatformServices
{
public:
    /// Takes the clipboard reader that suits the desktop the program runs on.
    explicit QtPlatform(std::unique_ptr<ClipboardReader> clipboard);
    ~QtPlatform() override;
    QtPlatform(const QtPlatform&) = delete;
    QtPlatform& operator=(const QtPlatform&) = delete;

    ClipboardReader& clipboard() override { return *m_clipboard; }
    std::unique_ptr<Timer> createTimer(std::chrono::milliseconds interval, std::function<void()> onTick) override;
    QString timeOfDay() const override;
    std::chrono::milliseconds untilNextSecond() const override;
    void print(TextSource source, PrintEnded ended) override;
    void showMessage(const Message& message) override;
    QString driveRoot() const override;
    void writeTextFile(const QString& path, TextSource source, WriteEnded ended) override;

private:
    std::unique_ptr<ClipboardReader> m_clipboard;
    BackgroundFileWriter m_files;
    DocumentPrinter m_printer;
};

} // namespace vardelo
