#include <QBuffer>
#include <QFontMetricsF>
#include <QPdfWriter>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTest>
#include <QTextLayout>

#include "platform/print/PageLayout.h"
#include "platform/print/PrintedPages.h"

using namespace vardelo;

namespace {

struct Line
{
    int page;
    qreal top;
    qreal height;
    qreal width;
    QString text;
};

/// Every line the layout places, in order, for text handed over in these pieces.
std::vector<Line> layOut(const QStringList& pieces, QPaintDevice* device, QSizeF body)
{
    std::vector<Line> lines;
    PageLayout layout(printFont(), device, body, [&lines](const PageLayout::PlacedLine& placed) {
        lines.push_back(
            {placed.page, placed.top, placed.line.height(), placed.line.naturalTextWidth(), placed.text.toString()});
        return true;
    });
    for (const QString& piece : pieces) {
        layout.add(piece);
    }
    layout.finish();
    return lines;
}

/// The lines of one paragraph as a single layout of all of it makes them.
QStringList wholeLayout(const QString& paragraph, QPaintDevice* device, qreal width)
{
    QTextLayout layout(paragraph, printFont(), device);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    QStringList lines;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        lines << paragraph.mid(line.textStart(), line.textLength());
    }
    layout.endLayout();
    return lines;
}

} // namespace

/// How the collection is laid out on printed pages.
class TestPageLayout : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        m_pdf = std::make_unique<QPdfWriter>(&m_sink);
        m_body = QSizeF(m_pdf->width(), 40 * QFontMetricsF(printFont(), m_pdf.get()).lineSpacing());
    }

    void anEmptyCollectionIsOneEmptyPage()
    {
        const std::vector<Line> lines = layOut({}, m_pdf.get(), m_body);
        QCOMPARE(lines.size(), 1u);
        QCOMPARE(lines[0].page, 1);
        QCOMPARE(lines[0].text, QString());
    }

    void everyLineEndBreaksOnceAndLongLinesWrap()
    {
        const quint32 seed = QRandomGenerator::global()->generate();
        qInfo("seed %u", seed);
        QRandomGenerator random(seed);
        const QStringList words {QStringLiteral("съешь"), QStringLiteral("же"), QStringLiteral("ещё"),
            QStringLiteral("этих"), QStringLiteral("soft"), QStringLiteral("French"), QStringLiteral("булок"),
            QStringLiteral("---------------"), QString(300, u'ж')};
        const QStringList lineEnds {
            QStringLiteral("\r\n"), QStringLiteral("\r"), QStringLiteral("\n"), QStringLiteral("\u2029")};
        // Paragraphs of every length, some far longer than is laid out at once, some empty.
        QStringList paragraphs;
        QString text;
        for (int p = 0; p < 60; ++p) {
            QString paragraph;
            const int count = random.bounded(4) == 0 ? random.bounded(5000) : random.bounded(30);
            for (int w = 0; w < count; ++w) {
                paragraph += (w > 0 ? QStringLiteral(" ") : QString()) + words[random.bounded(words.size())];
            }
            paragraphs << paragraph;
            QString lineEnd = p < 59 ? lineEnds[random.bounded(lineEnds.size())] : QString();
            // A CR, nothing and an LF make one CR LF, as in the box.
            if (paragraph.isEmpty() && text.endsWith(u'\r') && lineEnd == u"\n") {
                lineEnd = QStringLiteral("\r");
            }
            text += paragraph + lineEnd;
        }
        QStringList pieces;
        for (qsizetype at = 0; at < text.size();) {
            const qsizetype length = std::min<qsizetype>(1 + random.bounded(3000), text.size() - at);
            pieces << text.mid(at, length);
            at += length;
        }

        const std::vector<Line> lines = layOut(pieces, m_pdf.get(), m_body);
        QStringList laidOut;
        std::size_t next = 0;
        for (const QString& paragraph : paragraphs) {
            const QStringList expected = wholeLayout(paragraph, m_pdf.get(), m_body.width());
            QStringList got;
            for (qsizetype i = 0; i < expected.size() && next < lines.size(); ++i) {
                got << lines[next++].text;
            }
            QCOMPARE(got, expected);
            for (qsizetype i = 0; i + 1 < got.size(); ++i) {
                // Broken inside a word only where the word is wider than the page.
                if (!got[i].endsWith(u' ')) {
                    QVERIFY2(!got[i].contains(u' ') && !got[i + 1].startsWith(u' '), qPrintable(got[i]));
                }
            }
        }
        QCOMPARE(next, lines.size());
        for (std::size_t i = 0; i < lines.size(); ++i) {
            QVERIFY(lines[i].width <= m_body.width());
            QVERIFY(lines[i].top + lines[i].height <= m_body.height());
            if (i > 0 && lines[i].page != lines[i - 1].page) {
                // A page takes lines as long as they fit.
                QCOMPARE(lines[i].page, lines[i - 1].page + 1);
                QCOMPARE(lines[i].top, 0.0);
                QVERIFY(lines[i - 1].top + lines[i - 1].height + lines[i].height > m_body.height());
            } else if (i > 0) {
                QCOMPARE(lines[i].top, lines[i - 1].top + lines[i - 1].height);
            }
        }
        QVERIFY(lines.back().page > 1);
    }

private:
    QBuffer m_sink;
    std::unique_ptr<QPdfWriter> m_pdf;
    QSizeF m_body;
};

QTEST_MAIN(TestPageLayout)
#include "TestPageLayout.moc"
