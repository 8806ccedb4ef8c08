#pragma once

#include <functional>

#include "platform/Outcome.h"
#include "platform/textfile/TextFileEncoding.h"

class QFont;
class QPagedPaintDevice;

namespace vardelo {

/// The font the collection is printed in: a sans-serif face with Cyrillic glyphs, 11 points.
[[nodiscard]] QFont printFont();

/// Paints the text that source gives on device, page after page as the text comes (see PageLayout), inside
/// the device's margins, with each page's number at the foot of its right edge. Runs on any thread. Stops as
/// soon as healthy() fails, as when what the pages are written to breaks, and gives its reason.
Status paintPages(QPagedPaintDevice& device, const TextPieces& source, const std::function<Status()>& healthy);

} // namespace vardelo
