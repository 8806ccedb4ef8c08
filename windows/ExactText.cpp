#include "windows/ExactText.h"

#include <algorithm>
#include <array>
#include <optional>
#include <vector>

#include <QTextCursor>
#include <QTextDocument>
#include <QtGui/private/qtextdocument_p.h>

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

/// What Qt keeps in its text buffer for a block break.
bool isBlockBreak(QChar c)
{
    return c == QChar::ParagraphSeparator || c == QTextBeginningOfFrame || c == QTextEndOfFrame;
}

/// The format of the break for each form of line end, made once, so that inserting a line costs Qt a lookup
/// of a format it knows rather than the making of a new one.
class LineEndFormats final
{
public:
    LineEndFormats()
    {
        for (std::size_t i = 0; i < Forms.size(); ++i) {
            m_formats[i].setProperty(LineEndProperty, Forms[i].toString());
        }
    }

    const QTextCharFormat& of(QStringView lineEnd) const
    {
        const auto form = std::find(Forms.begin(), Forms.end(), lineEnd);
        return m_formats[static_cast<std::size_t>(form - Forms.begin())];
    }

private:
    static constexpr std::array<QStringView, 6> Forms {u"\r\n", u"\n", u"\r", u"\u2029", u"\uFDD0", u"\uFDD1"};
    std::array<QTextCharFormat, Forms.size()> m_formats;
};

/// The line end each break format stands for, read from the document's formats once per format.
class LineEnds final
{
public:
    explicit LineEnds(const QTextDocument& document)
        : m_formats(document.allFormats())
        , m_forms(static_cast<std::size_t>(m_formats.size()))
    { }

    const QString& of(int formatIndex)
    {
        std::optional<QString>& form = m_forms.at(static_cast<std::size_t>(formatIndex));
        if (!form) {
            const QString kept = m_formats.at(formatIndex).stringProperty(LineEndProperty);
            form = kept.isEmpty() ? DefaultLineEnd : kept;
        }
        return *form;
    }

private:
    const QList<QTextFormat> m_formats;
    std::vector<std::optional<QString>> m_forms;
};

/// Calls piece(position, characters, format) for each of Qt's pieces of the document between two positions,
/// in order, cut to those positions, as long as it returns true. A block break always stands alone in a piece
/// of its own. It walks Qt's own list of pieces from the first one on.
template <typename Piece> void forEachPiece(const QTextDocument& document, int from, int to, Piece piece)
{
    if (from >= to) {
        return;
    }
    const QTextDocumentPrivate* d = QTextDocumentPrivate::get(&document);
    const QString buffer = d->buffer();
    auto fragment = d->find(from);
    for (int position = fragment.atEnd() ? to : fragment.position(); position < to; ++fragment) {
        const int size = fragment.size();
        const int begin = std::max(from, position);
        const int end = std::min(to, position + size);
        if (!piece(begin, QStringView(buffer).sliced(fragment->stringPosition + (begin - position), end - begin),
                fragment->format)) {
            return;
        }
        position += size;
    }
}

template <typename Piece> void forEachExactPieceOf(const QTextDocument& document, int from, int to, Piece piece)
{
    LineEnds lineEnds(document);
    forEachPiece(document, from, to, [&lineEnds, &piece](int, QStringView chars, int format) {
        return piece(isBlockBreak(chars.front()) ? QStringView(lineEnds.of(format)) : chars);
    });
}

const LineEndFormats& lineEndFormats()
{
    static const LineEndFormats formats;
    return formats;
}

} // namespace

void insertExactText(QTextCursor& cursor, QStringView text)
{
    // Qt makes a block break of every line end it is given, CR LF included, with the format it is given. So
    // a run of lines whose line ends have one form goes to Qt in one call, with that form's format: Qt then
    // finds the block's format and the character format once, not once a line. The characters of the run
    // carry the form too, which nothing reads.
    const LineEndFormats& formats = lineEndFormats();
    const QTextCharFormat plain;
    const auto insertRun = [&cursor](QStringView run, const QTextCharFormat& format) {
        if (!run.isEmpty()) {
            // Qt copies what it inserts, so the run needs no copy of its own.
            cursor.insertText(QString::fromRawData(run.data(), run.size()), format);
        }
    };
    qsizetype runStart = 0;
    QStringView runForm;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (!isLineEnd(text[i])) {
            continue;
        }
        const qsizetype length = text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n' ? 2 : 1;
        const QStringView form = text.sliced(i, length);
        if (!runForm.isEmpty() && form != runForm) {
            insertRun(text.sliced(runStart, i - runStart), formats.of(runForm));
            runStart = i;
        }
        runForm = form;
        i += length - 1;
    }
    insertRun(text.sliced(runStart), runForm.isEmpty() ? plain : formats.of(runForm));
}

void forEachExactPiece(const QTextDocument& document, int from, int to, const std::function<bool(QStringView)>& piece)
{
    forEachExactPieceOf(document, from, to, piece);
}

qsizetype exactLength(const QTextDocument& document, int from, int to)
{
    qsizetype length = 0;
    forEachExactPieceOf(document, from, to, [&length](QStringView piece) {
        length += piece.size();
        return true;
    });
    return length;
}

void appendExactText(QString& text, const QTextDocument& document, int from, int to)
{
    forEachExactPieceOf(document, from, to, [&text](QStringView piece) {
        text.append(piece);
        return true;
    });
}

QString exactText(const QTextDocument& document, int from, int to)
{
    // Measured first, so that the text is made once at its final size: a large document is then held twice
    // at most, never three times while a growing copy moves.
    QString text;
    text.reserve(exactLength(document, from, to));
    appendExactText(text, document, from, to);
    return text;
}

QString exactText(const QTextDocument& document)
{
    return exactText(document, 0, document.characterCount() - 1);
}

std::vector<int> lfBreaksAfterCr(const QTextDocument& document, int from, int to)
{
    // The last break of a document ends its last block and stands for no line end.
    const int lastLineEnd = document.characterCount() - 2;
    std::vector<int> lfBreaks;
    LineEnds lineEnds(document);
    int crAt = -2;
    forEachPiece(document, std::max(0, from - 1), std::min(to + 1, lastLineEnd + 1),
        [&](int position, QStringView chars, int format) {
            if (!isBlockBreak(chars.front())) {
                crAt = -2;
                return true;
            }
            const QString& lineEnd = lineEnds.of(format);
            if (lineEnd == u"\n" && crAt == position - 1) {
                lfBreaks.push_back(position);
            }
            crAt = lineEnd == u"\r" ? position : -2;
            return true;
        });
    return lfBreaks;
}

void joinWithCrBefore(QTextCursor& cursor, const std::vector<int>& lfBreaks)
{
    // From the end, so that each join leaves the positions before it as they were.
    for (auto lf = lfBreaks.rbegin(); lf != lfBreaks.rend(); ++lf) {
        cursor.setPosition(*lf - 1);
        cursor.setPosition(*lf, QTextCursor::KeepAnchor);
        cursor.setCharFormat(lineEndFormats().of(u"\r\n"));
        cursor.setPosition(*lf);
        cursor.setPosition(*lf + 1, QTextCursor::KeepAnchor);
        cursor.removeSelectedText();
    }
}

} // namespace vardelo
