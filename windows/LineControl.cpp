#include "windows/LineControl.h"

#include <algorithm>

#include <QPainter>

namespace vardelo {

LineControl::LineControl(const TwipsLine& line, QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QString::fromLatin1(line.name));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    const int x1 = std::min(line.x1, line.x2) / TwipsPerPixel;
    const int y1 = std::min(line.y1, line.y2) / TwipsPerPixel;
    const int x2 = std::max(line.x1, line.x2) / TwipsPerPixel;
    const int y2 = std::max(line.y1, line.y2) / TwipsPerPixel;
    const bool horizontal = y1 == y2;
    setGeometry(x1, y1, horizontal ? x2 - x1 + 1 : line.widthPixels, horizontal ? line.widthPixels : y2 - y1 + 1);
}

void LineControl::paintEvent(QPaintEvent* /*event*/)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::WindowText));
}

} // namespace vardelo
