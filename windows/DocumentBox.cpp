#include "windows/DocumentBox.h"

#include <limits>

#include <QKeyEvent>
#include <QMimeData>
#include <QScrollBar>
#include <QTextCursor>
#include <QTextDocument>

#include "windows/ExactText.h"

namespace vardelo {

namespace {

/// Qt's text documents count in int; one more character than this and positions overflow.
constexpr qsizetype MaxLength = std::numeric_limits<int>::max() - 1;

/// The most of one appended text the widget takes in one event-loop turn: a few milliseconds of Qt's work.
constexpr qsizetype SliceLength = 32 * 1024;

Status documentFull()
{
    return Status::failure(QStringLiteral("Документ достиг предельного размера."));
}

QByteArray utf16Bytes(const QString& text)
{
    return QByteArray(reinterpret_cast<const char*>(text.utf16()), text.size() * qsizetype(sizeof(char16_t)));
}

QString fromUtf16Bytes(const QByteArray& bytes)
{
    return QString(reinterpret_cast<const QChar*>(bytes.constData()), bytes.size() / qsizetype(sizeof(char16_t)));
}

/// Runs an edit of the box's own making: one change for the layout, and none for the undo history, which
/// would otherwise keep a record of every line the program appends.
template <typename Edit> void editWithoutUndo(QTextDocument* document, Edit edit)
{
    document->setUndoRedoEnabled(false);
    QTextCursor cursor(document);
    cursor.beginEditBlock();
    edit(cursor);
    cursor.endEditBlock();
    document->setUndoRedoEnabled(true);
}

} // namespace

DocumentBox::DocumentBox(QWidget* parent)
    : QPlainTextEdit(parent)
{
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_slices.setInterval(0);
    connect(&m_slices, &QTimer::timeout, this, &DocumentBox::showNextSlice);
}

DocumentBox::~DocumentBox() = default;

Result<QString> DocumentBox::text() const
{
    QString text = exactText(*document());
    if (!m_pending.empty()) {
        text.reserve(text.size() + m_pendingLength);
        text += QStringView(m_pending.front()).sliced(m_pendingShown);
        for (auto it = std::next(m_pending.begin()); it != m_pending.end(); ++it) {
            text += *it;
        }
    }
    return text;
}

Status DocumentBox::setText(const QString& text)
{
    if (text.size() > MaxLength) {
        return documentFull();
    }
    if (!m_pending.empty()) {
        m_pending.clear();
        m_pendingShown = 0;
        m_pendingLength = 0;
        m_slices.stop();
        setReadOnly(m_readOnlyBeforePending);
    }
    editWithoutUndo(document(), [&text](QTextCursor& cursor) {
        cursor.select(QTextCursor::Document);
        cursor.removeSelectedText();
        insertExactText(cursor, text);
    });
    return Status::success();
}

Status DocumentBox::append(const QString& text)
{
    if (text.size() > MaxLength - shownLength() - m_pendingLength) {
        return documentFull();
    }
    if (!m_pending.empty() || text.size() > SliceLength) {
        if (m_pending.empty()) {
            m_followPending = caretAtEnd();
            m_readOnlyBeforePending = isReadOnly();
            // The user's edits would land among texts the widget does not show yet.
            setReadOnly(true);
            m_slices.start();
        }
        m_pending.push_back(text);
        m_pendingLength += text.size();
        return Status::success();
    }
    const bool follow = caretAtEnd();
    showAtEnd(text);
    if (follow) {
        moveCursor(QTextCursor::End);
        ensureCursorVisible();
    }
    return Status::success();
}

void DocumentBox::showNextSlice()
{
    if (m_pending.empty()) {
        m_slices.stop();
        return;
    }
    const QString& text = m_pending.front();
    qsizetype length = std::min(SliceLength, text.size() - m_pendingShown);
    const qsizetype sliceEnd = m_pendingShown + length;
    // A CR LF split between slices would show as two line ends.
    if (length > 0 && sliceEnd < text.size() && text[sliceEnd - 1] == u'\r' && text[sliceEnd] == u'\n') {
        ++length;
    }
    showAtEnd(QStringView(text).sliced(m_pendingShown, length));
    m_pendingShown += length;
    m_pendingLength -= length;
    if (m_pendingShown < text.size()) {
        return;
    }
    m_pending.pop_front();
    m_pendingShown = 0;
    if (!m_pending.empty()) {
        return;
    }
    m_slices.stop();
    setReadOnly(m_readOnlyBeforePending);
    if (m_followPending) {
        moveCursor(QTextCursor::End);
        ensureCursorVisible();
    }
}

void DocumentBox::showAtEnd(QStringView text)
{
    // Qt moves a selection's end that stands where text is inserted; what the program appends must not join
    // what the user selected, or the next Delete would take the new entry with it.
    const QTextCursor selection = textCursor();
    const int anchor = selection.anchor();
    const int position = selection.position();
    // What the program appends is not the user's edit to undo. Turning undo off clears what the user could
    // undo; keeping it would record every appended line and let Ctrl+Z take entries away.
    editWithoutUndo(document(), [text](QTextCursor& cursor) {
        cursor.movePosition(QTextCursor::End);
        insertExactText(cursor, text);
    });
    if (anchor != position && (textCursor().anchor() != anchor || textCursor().position() != position)) {
        QTextCursor kept = textCursor();
        kept.setPosition(anchor);
        kept.setPosition(position, QTextCursor::KeepAnchor);
        // Setting the cursor scrolls to it; the user's view stays where it was.
        const int scrolled = verticalScrollBar()->value();
        setTextCursor(kept);
        verticalScrollBar()->setValue(scrolled);
    }
}

void DocumentBox::keyPressEvent(QKeyEvent* event)
{
    // A line break typed into the box is CR LF, as in a classic edit box; Qt would make Shift+Enter a
    // soft line separator instead.
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && !isReadOnly()) {
        insertAtCaret(u"\r\n");
        event->accept();
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

QMimeData* DocumentBox::createMimeDataFromSelection() const
{
    // What the document really holds, not Qt's rendering of it (which turns NBSP into spaces and every line
    // end into LF).
    const QTextCursor cursor = textCursor();
    const QString exact = exactText(*document(), cursor.selectionStart(), cursor.selectionEnd());
    auto mime = std::make_unique<QMimeData>();
    mime->setText(exact);
    // Some desktops change a plain text's line ends on the way through the clipboard; this one is ours.
    mime->setData(QLatin1String(ExactTextMimeType), utf16Bytes(exact));
    return mime.release();
}

bool DocumentBox::canInsertFromMimeData(const QMimeData* source) const
{
    return source->hasFormat(QLatin1String(ExactTextMimeType)) || QPlainTextEdit::canInsertFromMimeData(source);
}

void DocumentBox::insertFromMimeData(const QMimeData* source)
{
    if (source == nullptr) {
        return;
    }
    if (source->hasFormat(QLatin1String(ExactTextMimeType))) {
        insertAtCaret(fromUtf16Bytes(source->data(QLatin1String(ExactTextMimeType))));
    } else if (source->hasText()) {
        insertAtCaret(source->text());
    } else {
        QPlainTextEdit::insertFromMimeData(source);
    }
}

void DocumentBox::insertAtCaret(QStringView exact)
{
    if (exact.size() > MaxLength - shownLength() - m_pendingLength) {
        return;
    }
    // One step to undo: the selection it replaced comes back with it.
    QTextCursor cursor = textCursor();
    cursor.beginEditBlock();
    cursor.removeSelectedText();
    insertExactText(cursor, exact);
    cursor.endEditBlock();
    setTextCursor(cursor);
    ensureCursorVisible();
}

int DocumentBox::shownLength() const
{
    // A document always ends in one block that holds no character of the text.
    return document()->characterCount() - 1;
}

bool DocumentBox::caretAtEnd() const
{
    const QTextCursor cursor = textCursor();
    return cursor.position() == shownLength() && !cursor.hasSelection();
}

} // namespace vardelo
