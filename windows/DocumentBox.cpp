#include "windows/DocumentBox.h"

#include <limits>

#include <QKeyEvent>
#include <QMimeData>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

namespace vardelo {

namespace {

/// Qt's text documents count in int; one more character than this and positions overflow.
constexpr qsizetype MaxShownLength = std::numeric_limits<int>::max() - 1;

/// Runs a change of the box's own making with the edit recorder silenced.
class OwnChange final
{
public:
    explicit OwnChange(bool& flag)
        : m_flag(flag)
    {
        m_flag = true;
    }
    ~OwnChange() { m_flag = false; }
    OwnChange(const OwnChange&) = delete;
    OwnChange& operator=(const OwnChange&) = delete;

private:
    bool& m_flag;
};

/// The most of one appended text the widget takes in one event-loop turn: a few milliseconds of Qt's work.
constexpr qsizetype SliceLength = 64 * 1024;

Status documentFull()
{
    return Status::failure(QStringLiteral("Документ достиг предельного размера."));
}

} // namespace

DocumentBox::DocumentBox(QWidget* parent)
    : QPlainTextEdit(parent)
{
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    connect(document(), &QTextDocument::contentsChange, this, &DocumentBox::recordEdit);
    m_slices.setInterval(0);
    connect(&m_slices, &QTimer::timeout, this, &DocumentBox::showNextSlice);
}

DocumentBox::~DocumentBox() = default;

Result<QString> DocumentBox::text() const
{
    return m_mirror.text();
}

Status DocumentBox::setText(const QString& text)
{
    if (ExactTextMirror::widgetLengthOf(text) > MaxShownLength) {
        return documentFull();
    }
    if (!m_pending.empty()) {
        m_pending.clear();
        m_pendingShown = 0;
        m_slices.stop();
        setReadOnly(m_readOnlyBeforePending);
    }
    {
        const OwnChange own(m_changingItself);
        setPlainText(text);
    }
    m_mirror.reset(text);
    return Status::success();
}

Status DocumentBox::append(const QString& text)
{
    if (ExactTextMirror::widgetLengthOf(text) > MaxShownLength - m_mirror.widgetLength()) {
        return documentFull();
    }
    const qsizetype end = m_mirror.widgetLength();
    const bool caretAtEnd = textCursor().position() == end && !textCursor().hasSelection();
    if (!m_pending.empty() || text.size() > SliceLength) {
        if (m_pending.empty()) {
            m_followPending = caretAtEnd;
            m_readOnlyBeforePending = isReadOnly();
            // The user's edits would land among texts the widget does not show yet.
            setReadOnly(true);
            m_slices.start();
        }
        m_pending.push_back(text);
        m_mirror.insertExact(end, text);
        return Status::success();
    }
    showAtEnd(text);
    m_mirror.insertExact(end, text);
    if (caretAtEnd) {
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
    showAtEnd(text.sliced(m_pendingShown, length));
    m_pendingShown += length;
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

void DocumentBox::showAtEnd(const QString& text)
{
    const OwnChange own(m_changingItself);
    // What the program appends is not the user's edit to undo, and keeping undo records of it would cost
    // memory in proportion to the whole collection. Turning undo off clears what the user could undo.
    document()->setUndoRedoEnabled(false);
    QTextCursor cursor(document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(text);
    document()->setUndoRedoEnabled(true);
}

void DocumentBox::keyPressEvent(QKeyEvent* event)
{
    // A line break typed into the box is CR LF, as in a classic edit box; Qt would make Shift+Enter a
    // soft line separator instead.
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && !isReadOnly()) {
        insertAtCaret(QStringLiteral("\r\n"));
        event->accept();
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

QMimeData* DocumentBox::createMimeDataFromSelection() const
{
    // Copy what the document really holds, not Qt's rendering of it (which turns NBSP into spaces).
    const QTextCursor cursor = textCursor();
    auto mime = std::make_unique<QMimeData>();
    mime->setText(m_mirror.exactRange(cursor.selectionStart(), cursor.selectionEnd()));
    return mime.release();
}

void DocumentBox::insertFromMimeData(const QMimeData* source)
{
    if (source != nullptr && source->hasText()) {
        insertAtCaret(source->text());
        return;
    }
    QPlainTextEdit::insertFromMimeData(source);
}

void DocumentBox::insertAtCaret(const QString& exact)
{
    QTextCursor cursor = textCursor();
    if (cursor.hasSelection()) {
        cursor.removeSelectedText(); // recorded as the user's edit
    }
    if (ExactTextMirror::widgetLengthOf(exact) > MaxShownLength - m_mirror.widgetLength()) {
        return;
    }
    const int position = cursor.position();
    {
        const OwnChange own(m_changingItself);
        cursor.insertText(exact);
    }
    m_mirror.insertExact(position, exact);
    setTextCursor(cursor);
    ensureCursorVisible();
}

qsizetype DocumentBox::shownLength() const
{
    // A document always ends in one block that holds no character of the text.
    return document()->characterCount() - 1;
}

void DocumentBox::recordEdit(int position, int removed, int added)
{
    if (m_changingItself) {
        return;
    }
    const qsizetype before = m_mirror.widgetLength();
    const qsizetype after = shownLength();
    // Qt may count the document's closing block in the range; derive the range from the lengths instead.
    qsizetype removedNow = std::min<qsizetype>(removed, before - position);
    qsizetype addedNow = removedNow + (after - before);
    if (position < 0 || removedNow < 0 || addedNow < 0 || position + addedNow > after) {
        removedNow = before - position;
        addedNow = after - position;
    }
    Q_UNUSED(added);
    QTextCursor shown(document());
    shown.setPosition(position);
    shown.setPosition(static_cast<int>(position + addedNow), QTextCursor::KeepAnchor);
    m_mirror.applyWidgetEdit(position, removedNow, shown.selectedText());
}

} // namespace vardelo
