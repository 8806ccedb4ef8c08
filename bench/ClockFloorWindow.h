#pragma once

#include <QWidget>

class QPlainTextEdit;

namespace vardelo::bench {

/// The floor the idle program is measured against: what it cannot do with less, a window of the main
/// window's size whose label shows the time once a second, as its clock does, beside a text box whose caret
/// blinks while the window has the keyboard.
class ClockFloorWindow final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ClockFloorWindow)

public:
    explicit ClockFloorWindow(const QString& boxText);

    QPlainTextEdit* box() const { return m_box; }

private:
    QPlainTextEdit* m_box;
};

} // namespace vardelo::bench
