#pragma once

class QWidget;

namespace vardelo {

/// Moves a top-level window so that it stands in the middle of its screen's available area.
void centreOnScreen(QWidget* window);

} // namespace vardelo
