#pragma once

#include <QString>
#include <QStringView>

class QTextCursor;
class QTextDocument;

namespace vardelo {

/// A Qt text document turns every line end (CR LF, CR, LF, U+2029 and the frame marks U+FDD0 and U+FDD1) into
/// one block break, so what it gives back is not what was put in. These functions keep the line end's own
/// form on the break itself, as a property of the break character's format: it then moves, goes and comes
/// back with the break through every edit, cut, paste, drag, undo and redo that Qt makes.

/// Inserts text at the cursor, each line end as a block break that remembers its form.
void insertExactText(QTextCursor& cursor, QStringView text);

/// The exact text between two positions of the document.
[[nodiscard]] QString exactText(const QTextDocument& document, int from, int to);

/// The document's whole exact text.
[[nodiscard]] QString exactText(const QTextDocument& document);

} // namespace vardelo
