#pragma once

#include <QWidget>

#include "windows/Twips.h"

namespace vardelo {

/// A horizontal or vertical line drawn in the window text colour, as the window layouts place them.
class LineControl final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(LineControl)

public:
    LineControl(const TwipsLine& line, QWidget* parent);

    /// Places one LineControl per entry of a layout table.
    template <typename Table> static void addAll(const Table& lines, QWidget* parent)
    {
        for (const TwipsLine& line : lines) {
            new LineControl(line, parent); // owned by parent
        }
    }

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace vardelo
