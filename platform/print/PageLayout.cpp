#include "platform/print/PageLayout.h"

#include <utility>
#include <vector>

#include <QTextLayout>

namespace vardelo {

namespace {

/// A paragraph longer than this is laid out a part at a time: Qt shapes a whole paragraph at once, and a
/// collected entry may be megabytes without a line end.
constexpr qsizetype LongestLayout = 16 * 1024;

bool isLineEnd(char16_t unit)
{
    return unit == u'\n' || unit == u'\r' || unit == u'\u2029' || unit == u'\uFDD0' || unit == u'\uFDD1';
}

} // namespace

PageLayout::PageLayout(const QFont& font, QPaintDevice* device, QSizeF body, Placed placed)
    : m_font(font)
    , m_device(device)
    , m_body(body)
    , m_placed(std::move(placed))
{
    m_option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
}

bool PageLayout::add(QStringView text)
{
    while (!text.isEmpty() && !m_stopped) {
        // The LF of a CR LF that the last stretch ended with.
        if (std::exchange(m_afterCr, false) && text.front() == u'\n') {
            text = text.sliced(1);
            continue;
        }
        qsizetype end = 0;
        while (end < text.size() && !isLineEnd(text[end].unicode()) && m_paragraph.size() + end < LongestLayout) {
            ++end;
        }
        m_paragraph += text.first(end);
        text = text.sliced(end);
        if (text.isEmpty()) {
            break;
        }
        if (!isLineEnd(text.front().unicode())) {
            placeLines(false);
            continue;
        }
        const char16_t lineEnd = text.front().unicode();
        text = text.sliced(1);
        m_afterCr = lineEnd == u'\r';
        endParagraph();
    }
    return !m_stopped;
}

bool PageLayout::finish()
{
    return !m_stopped && endParagraph();
}

bool PageLayout::endParagraph()
{
    const bool going = placeLines(true);
    m_paragraph.clear();
    return going;
}

bool PageLayout::placeLines(bool complete)
{
    QTextLayout layout(m_paragraph, m_font, m_device);
    layout.setTextOption(m_option);
    layout.setCacheEnabled(false);
    std::vector<QTextLine> lines;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLeadingIncluded(true);
        line.setLineWidth(m_body.width());
        lines.push_back(line);
    }
    layout.endLayout();
    // The last line of a part may grow with the text that follows, so it is laid out again with it.
    const std::size_t placing = complete || lines.size() < 2 ? lines.size() : lines.size() - 1;
    for (std::size_t i = 0; i < placing && !m_stopped; ++i) {
        const QTextLine& line = lines[i];
        if (m_top > 0 && m_top + line.height() > m_body.height()) {
            ++m_page;
            m_top = 0;
        }
        m_stopped
            = !m_placed({m_page, m_top, line, QStringView(m_paragraph).sliced(line.textStart(), line.textLength())});
        m_top += line.height();
    }
    if (!complete) {
        m_paragraph.remove(0, placing < lines.size() ? lines[placing].textStart() : m_paragraph.size());
    }
    return !m_stopped;
}

} // namespace vardelo
