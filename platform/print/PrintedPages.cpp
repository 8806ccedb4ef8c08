#include "platform/print/PrintedPages.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QTextLine>

#include "platform/print/PageLayout.h"

namespace vardelo {

namespace {

Status cannotPaint()
{
    return Status::failure(QStringLiteral("Не удалось подготовить документ к печати."));
}

} // namespace

QFont printFont()
{
    QFont font;
    font.setFamilies({QStringLiteral("DejaVu Sans"), QStringLiteral("Liberation Sans"), QStringLiteral("Arial")});
    font.setStyleHint(QFont::SansSerif);
    font.setPointSize(11);
    return font;
}

Status paintPages(QPagedPaintDevice& device, const TextPieces& source, const std::function<Status()>& healthy)
{
    QPainter painter;
    if (!painter.begin(&device)) {
        return cannotPaint();
    }
    const QFont font = printFont();
    painter.setFont(font);
    painter.setPen(Qt::black);
    // The painter's origin is the corner of the page's body, inside the margins; the number stands below it.
    const QRectF body(QPointF(0, 0), device.pageLayout().paintRectPixels(device.logicalDpiX()).size());
    const QFontMetricsF metrics(font, &device);
    const QPointF numberAt(body.width(), body.height() + metrics.ascent() + 5.0 * device.logicalDpiY() / 72.0);
    const auto numberPage = [&](int page) {
        const QString number = QString::number(page);
        painter.drawText(numberAt - QPointF(metrics.horizontalAdvance(number), 0), number);
    };

    Status status = Status::success();
    int page = 1;
    PageLayout layout(font, &device, body.size(), [&](const PageLayout::PlacedLine& placed) {
        if (placed.page != page) {
            numberPage(page);
            page = placed.page;
            if (!device.newPage()) {
                status = cannotPaint();
                return false;
            }
            if (status = healthy(); !status.ok()) {
                return false;
            }
        }
        placed.line.draw(&painter, QPointF(0, placed.top));
        return true;
    });
    source([&layout](QStringView piece) { return layout.add(piece); });
    if (status.ok() && layout.finish()) {
        numberPage(page);
    }
    if (!painter.end() && status.ok()) {
        status = cannotPaint();
    }
    return status.ok() ? healthy() : status;
}

} // namespace vardelo
