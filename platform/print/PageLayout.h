#pragma once

#include <functional>

#include <QFont>
#include <QSizeF>
#include <QString>
#include <QStringView>
#include <QTextOption>

class QPaintDevice;
class QTextLine;

namespace vardelo {

/// Lays plain text out in lines on pages, a line at a time as the text comes, so that neither the whole text
/// nor its whole layout is ever held and no height grows past a page's. Every line end the collection box
/// shows as one (CR LF, CR, LF, U+2029 and the frame marks U+FDD0 and U+FDD1) ends a line, also when a CR LF
/// comes split between two stretches; a line longer than the page is wide wraps at word boundaries, or
/// anywhere when a word is wider than the page. An empty text is one empty line on one page.
class PageLayout final
{
public:
    /// A line placed on its page: top is its distance from the top of the page's body.
    struct PlacedLine
    {
        int page;
        qreal top;
        const QTextLine& line;
        /// What the line shows.
        QStringView text;
    };
    /// Takes each line in order; false stops the layout.
    using Placed = std::function<bool(const PlacedLine&)>;

    /// Lines in font on pages whose body has this size, in the units of device, which gives the metrics.
    PageLayout(const QFont& font, QPaintDevice* device, QSizeF body, Placed placed);

    /// Lays out the next stretch of the text, as far as its last line end; false once placed said to stop.
    bool add(QStringView text);
    /// Lays out the last line; false when placed said to stop.
    bool finish();
    /// How many pages the lines placed so far take.
    int pages() const { return m_page; }

private:
    bool endParagraph();
    /// Lays out the paragraph so far and places its lines; all but the last unless it is complete, which
    /// stays to be laid out again with what follows.
    bool placeLines(bool complete);

    const QFont m_font;
    QPaintDevice* const m_device;
    const QSizeF m_body;
    const Placed m_placed;
    QTextOption m_option;
    QString m_paragraph;
    bool m_afterCr = false;
    bool m_stopped = false;
    int m_page = 1;
    qreal m_top = 0;
};

} // namespace vardelo
