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
    {
        const OwnChange own(m_changingItself);
        QTextCursor cursor(document());
        cursor.movePosition(QTextCursor::End);
        cursor.insertText(text);
    }
    m_mirror.insertExact(end, text);
    if (caretAtEnd) {
        moveCursor(QTextCursor::End);
        ensureCursorVisible();
    }
    return Status::success();
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
