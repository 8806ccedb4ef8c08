#pragma once

#include <QPoint>
#include <QProcess>
#include <QRegularExpression>
#include <QString>
#include <QStringList>

namespace vardelo::test {

/// What a user does on the X desktop, through xdotool: find windows, click, type.
namespace desktop {

inline QString xdotool(const QStringList& arguments)
{
    QProcess process;
    process.start(QStringLiteral("xdotool"), arguments);
    process.waitForFinished(30000);
    return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
}

/// The visible window with exactly this title, or an empty string.
inline QString findWindow(const QString& title)
{
    const QString found = xdotool({QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--name"),
        QLatin1Char('^') + QRegularExpression::escape(title) + QLatin1Char('$')});
    return found.section(QLatin1Char('\n'), 0, 0);
}

/// The top left corner of a window's client area on the screen.
inline QPoint windowPosition(const QString& window)
{
    const QString shell = xdotool({QStringLiteral("getwindowgeometry"), QStringLiteral("--shell"), window});
    const auto value = [&shell](const char* key) {
        const QRegularExpression line(
            QStringLiteral("^%1=(-?\\d+)$").arg(QLatin1String(key)), QRegularExpression::MultilineOption);
        return line.match(shell).captured(1).toInt();
    };
    return {value("X"), value("Y")};
}

/// Clicks at a point of a window's client area; without a window manager the focus follows the pointer.
inline void clickAt(const QString& window, QPoint point)
{
    const QPoint at = windowPosition(window) + point;
    xdotool({QStringLiteral("mousemove"), QString::number(at.x()), QString::number(at.y()), QStringLiteral("click"),
        QStringLiteral("1")});
}

/// Types text with xdotool's default delay, which Cyrillic needs.
inline void type(const QString& text)
{
    xdotool({QStringLiteral("type"), text});
}

inline void key(const QString& keys)
{
    xdotool({QStringLiteral("key"), keys});
}

} // namespace desktop

} // namespace vardelo::test
