#include "bench/ClockFloorWindow.h"

#include <QFont>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTime>
#include <QTimer>

namespace vardelo::bench {

ClockFloorWindow::ClockFloorWindow(const QString& boxText)
    : m_box(new QPlainTextEdit(boxText, this))
{
    // The main window's clock: the same size and font.
    auto* clock = new QLabel(this);
    clock->setGeometry(496, 24, 121, 33);
    clock->setAlignment(Qt::AlignCenter);
    clock->setFont(QFont(QStringLiteral("MS Sans Serif"), 18));
    m_box->setGeometry(8, 72, 617, 257);
    auto* tick = new QTimer(this);
    connect(tick, &QTimer::timeout, clock,
        [clock] { clock->setText(QTime::currentTime().toString(QStringLiteral("HH:mm:ss"))); });
    tick->start(1000);
    resize(633, 337);
}

} // namespace vardelo::bench
