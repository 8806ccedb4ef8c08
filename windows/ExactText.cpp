#include "windows/ExactText.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include <QHash>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

namespace vardelo {

namespace {

/// The format property of a block break that holds the line end it stands for.
constexpr int LineEndProperty = QTextFormat::UserProperty + 1;

/// A break that Qt made on its own, from a line end whose form nobody told it, is a classic edit box's.
const QString DefaultLineEnd = QStringLiteral("\r\n");

bool isLineEnd(QChar c)
{
    const char16_t unit = c.unicode();
    return unit == u'\n' || unit == u'\r' || unit == u'\u2029' || unit == u'\uFDD0' || unit == u'\uFDD1';
}

/// The line end that the break before this block stands for.
class LineEnds final
{
public:
    const QString& before(const QTextBlock& block)
    {
        // Formats are shared, so a large document has a handful of them, and neighbours mostly share one:
        // look each up once.
        const int index = block.charFormatIndex();
        if (index == m_lastIndex) {
            return *m_last;
        }
        auto known = m_byFormat.constFind(index);
        if (known == m_byFormat.constEnd()) {
            const QString form = block.charFormat().stringProperty(LineEndProperty);
            known = m_byFormat.insert(index, form.isEmpty() ? DefaultLineEnd : form);
        }
        m_lastIndex = index;
        m_last = &*known;
        return *known;
    }

private:
    QHash<int, QString> m_byFormat;
    int m_lastIndex = -2;
    const QString* m_last = nullptr;
};

} // namespace

void insertExactText(QTextCursor& cursor, QStringView text)
{
    const QTextCharFormat plain;
    qsizetype from = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (!isLineEnd(text[i])) {
            continue;
        }
        const qsizetype length = text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n' ? 2 : 1;
        if (i > from) {
            cursor.insertText(text.sliced(from, i - from).toString(), plain);
        }
        QTextCharFormat lineEnd;
        lineEnd.setProperty(LineEndProperty, text.sliced(i, length).toString());
        cursor.insertBlock(cursor.blockFormat(), lineEnd);
        i += length - 1;
        from = i + 1;
    }
    if (from < text.size()) {
        cursor.insertText(text.sliced(from).toString(), plain);
    }
}

QString exactText(const QTextDocument& document, int from, int to)
{
    // Qt's own copy of the range is fast and shows each block break as U+2029.
    QString text;
    qsizetype breaks = 0;
    if (from == 0 && to == document.characterCount() - 1) {
        text = document.toRawText();
        breaks = document.blockCount() - 1;
    } else {
        QTextCursor range(const_cast<QTextDocument*>(&document));
        range.setPosition(from);
        range.setPosition(to, QTextCursor::KeepAnchor);
        text = range.selectedText();
        breaks = text.count(QChar::ParagraphSeparator);
    }

    // The breaks in the range, in order: those before the blocks that follow the first one.
    LineEnds lineEnds;
    std::vector<const QString*> ends;
    ends.reserve(breaks);
    qsizetype grown = text.size();
    QTextBlock block = document.findBlock(from);
    for (qsizetype i = 0; i < breaks; ++i) {
        block = block.next();
        ends.push_back(&lineEnds.before(block));
        grown += ends.back()->size() - 1;
    }

    // Put each line end in place of its break, from the end backwards, so that the text grows where it
    // stands and a large document is never held twice.
    const qsizetype length = text.size();
    text.resize(grown);
    QChar* data = text.data();
    QChar* const begin = data;
    QChar* read = data + length;
    QChar* write = data + grown;
    for (auto end = ends.rbegin(); end != ends.rend(); ++end) {
        QChar* const lineBreak
            = std::find(std::reverse_iterator(read), std::reverse_iterator(begin), QChar(QChar::ParagraphSeparator))
                  .base()
            - 1;
        if (lineBreak < begin) {
            break; // a break Qt does not show as U+2029; never seen, but never to be written past
        }
        const qsizetype after = read - lineBreak - 1;
        write -= after;
        std::memmove(write, lineBreak + 1, after * sizeof(QChar));
        write -= (*end)->size();
        std::copy((*end)->begin(), (*end)->end(), write);
        read = lineBreak;
    }
    return text;
}

QString exactText(const QTextDocument& document)
{
    return exactText(document, 0, document.characterCount() - 1);
}

} // namespace vardelo
