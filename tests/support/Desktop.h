#pragma once

#include <QPoint>
#include <QProcess>
#include <QRect>
#include <QRegularExpression>
#include <QSize>
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

/// A window's client area on the screen.
inline QRect windowGeometry(const QString& window)
{
    const QString shell = xdotool({QStringLiteral("getwindowgeometry"), QStringLiteral("--shell"), window});
    const auto value = [&shell](const char* key) {
        const QRegularExpression line(
            QStringLiteral("^%1=(-?\\d+)$").arg(QLatin1String(key)), QRegularExpression::MultilineOption);
        return line.match(shell).captured(1).toInt();
    };
    return {value("X"), value("Y"), value("WIDTH"), value("HEIGHT")};
}

inline QPoint windowPosition(const QString& window)
{
    return windowGeometry(window).topLeft();
}

/// The visible window with exactly this title (and this size, when one is given), or an empty string.
/// The size tells apart windows that share a title, as the splash shares the program's name.
inline QString findWindow(const QString& title, QSize size = QSize())
{
    const QString found = xdotool({QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--name"),
        QLatin1Char('^') + QRegularExpression::escape(title) + QLatin1Char('$')});
    for (const QString& window : found.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        if (!size.isValid() || windowGeometry(window).size() == size) {
            return window;
        }
    }
    return {};
}

/// Clicks at a point of a window's client area; without a window manager the focus follows the pointer.
inline void clickAt(const QString& window, QPoint point)
{
    const QPoint at = windowPosition(window) + point;
    xdotool({QStringLiteral("mousemove"), QString::number(at.x()), QString::number(at.y()), QStringLiteral("click"),
        QStringLiteral("1")});
}

inline void key(const QString& keys)
{
    xdotool({QStringLiteral("key"), keys});
}

} // namespace desktop

} // namespace vardelo::test
