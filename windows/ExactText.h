#pragma once

#include <functional>
#include <vector>

#include <QString>
#include <QStringView>

class QTextCursor;
class QTextDocument;

namespace vardelo {

/// A Qt text document turns every line end (CR LF, CR, LF, U+2029 and the frame marks U+FDD0 and U+FDD1) into
/// one block break, so what it gives back is not what was put in. These functions keep the line end's own
/// form on the break itself, as a property of the break character's format: it then moves, goes and comes
/// back with the break through every edit, cut, paste, drag, undo and redo that Qt makes.
///
/// Reading walks Qt's own list of the document's pieces in order (Qt's private text-document API: the public
/// one finds each break's format from the top of that list, which made reading several times slower than
/// copying the raw text). Reading changes nothing, so it may run on another thread while nothing changes
/// the document.

/// Inserts text at the cursor, each line end as a block break that remembers its form.
void insertExactText(QTextCursor& cursor, QStringView text);

/// Hands the exact text between two positions of the document to piece, a stretch at a time and in order,
/// as long as piece returns true.
void forEachExactPiece(const QTextDocument& document, int from, int to, const std::function<bool(QStringView)>& piece);

/// The length of the exact text between two positions of the document.
[[nodiscard]] qsizetype exactLength(const QTextDocument& document, int from, int to);

/// Appends the exact text between two positions of the document to text.
void appendExactText(QString& text, const QTextDocument& document, int from, int to);

/// The exact text between two positions of the document.
[[nodiscard]] QString exactText(const QTextDocument& document, int from, int to);

/// The document's whole exact text.
[[nodiscard]] QString exactText(const QTextDocument& document);

/// The positions of the breaks that stand for LF and directly follow one that stands for CR, from just before
/// `from` to just after `to`. A file that holds CR LF shows one line end in every reader, so the box must not
/// show these pairs as two.
[[nodiscard]] std::vector<int> lfBreaksAfterCr(const QTextDocument& document, int from, int to);

/// Makes each of those LF breaks one CR LF break with the CR break before it. The exact text stays the same.
void joinWithCrBefore(QTextCursor& cursor, const std::vector<int>& lfBreaks);

} // namespace vardelo
