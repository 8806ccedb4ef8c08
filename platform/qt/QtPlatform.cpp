#include "platform/qt/QtPlatform.h"

#include <QApplication>
#include <QDir>
#include <QLocale>
#include <QMessageBox>
#include <QPointer>
#include <QTime>

#include "platform/TimeOfDayFormat.h"
#include "platform/qt/QtTimer.h"

namespace vardelo {

QtPlatform::QtPlatform(std::unique_ptr<ClipboardReader> clipboard)
    : m_clipboard(std::move(clipboard))
{ }

QtPlatform::~QtPlatform() = default;

std::unique_ptr<Timer> QtPlatform::createTimer(std::chrono::milliseconds interval, std::function<void()> onTick)
{
    return std::make_unique<QtTimer>(interval, std::move(onTick));
}

QString QtPlatform::timeOfDay() const
{
    const QLocale locale = QLocale::system();
    return locale.toString(QTime::currentTime(), timeOfDayFormat(locale));
}

std::chrono::milliseconds QtPlatform::untilNextSecond() const
{
    return std::chrono::milliseconds(1000 - QTime::currentTime().msec());
}

void QtPlatform::print(TextSource source, PrintEnded ended)
{
    m_printer.print(std::move(source), std::move(ended));
}

void QtPlatform::showMessage(const Message& message)
{
    const QMessageBox::Icon icon
        = message.icon == Message::Icon::Warning ? QMessageBox::Warning : QMessageBox::Information;
    QMessageBox box(icon, message.title, message.text, QMessageBox::Ok, QApplication::activeWindow());
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
}

QString QtPlatform::driveRoot() const
{
#ifdef Q_OS_WIN
    return QStringLiteral("C:\\");
#else
    return QDir::homePath() + QLatin1Char('/');
#endif
}

void QtPlatform::writeTextFile(const QString& path, TextSource source, WriteEnded ended)
{
    m_files.write(path, std::move(source), std::move(ended));
}

} // namespace vardelo
