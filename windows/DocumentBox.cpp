#include "windows/DocumentBox.h"

#include <limits>
#include <utility>
#include <vector>

#include <QElapsedTimer>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QScrollBar>
#include <QTextCursor>
#include <QTextDocument>

#include "windows/ExactText.h"
#include "windows/GuardedTextAccessible.h"
#include "windows/ReadGate.h"

namespace vardelo {

namespace {

/// Qt's text documents count in int; one more character than this and positions overflow.
constexpr qsizetype MaxLength = std::numeric_limits<int>::max() - 1;

/// The most of an appended text the widget takes at once, a few milliseconds of Qt's work; a larger text
/// waits to be shown over several event-loop turns.
constexpr qsizetype SliceLength = 32 * 1024;

/// How long one event-loop turn shows waiting texts, a slice at a time: short enough that the capture's
/// 10 ms tick is never held up by much, long enough that a large entry is soon shown.
constexpr qint64 TurnBudgetNs = 8'000'000;

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

/// The document and the texts still to show, as they stood when a read was asked for, read on another thread
/// a stretch at a time. Until it goes, the box keeps its document as it is.
class DocumentBox::PendingRead final
{
public:
    PendingRead(DocumentBox& box, std::vector<QString> pending, qsizetype firstShown)
        : m_box(box)
        , m_reads(box.m_reads)
        , m_documentReads(box.m_currentReads)
        , m_document(*box.document())
        , m_pending(std::move(pending))
        , m_firstShown(firstShown)
    {
        m_reads->enter();
        ++*m_documentReads;
    }
    ~PendingRead()
    {
        --*m_documentReads;
        // Told while the gate is still shut: once it is open the box may go.
        m_reads->leave([this] { QMetaObject::invokeMethod(&m_box, &DocumentBox::readsEnded, Qt::QueuedConnection); });
    }
    PendingRead(const PendingRead&) = delete;
    PendingRead& operator=(const PendingRead&) = delete;

    void read(const std::function<bool(QStringView)>& piece) const
    {
        bool going = true;
        forEachExactPiece(m_document, 0, m_document.characterCount() - 1, [&going, &piece](QStringView text) {
            going = piece(text);
            return going;
        });
        for (std::size_t i = 0; going && i < m_pending.size(); ++i) {
            going = piece(QStringView(m_pending[i]).sliced(i == 0 ? m_firstShown : 0));
        }
    }

private:
    DocumentBox& m_box;
    const std::shared_ptr<ReadGate> m_reads;
    const std::shared_ptr<std::atomic<int>> m_documentReads;
    const QTextDocument& m_document;
    const std::vector<QString> m_pending;
    const qsizetype m_firstShown;
};

template <typename Insert> void DocumentBox::showAtEnd(Insert insert)
{
    // Qt moves a selection's end that stands where text is inserted; what the program appends must not join
    // what the user selected, or the next Delete would take the new entry with it.
    const QTextCursor selection = textCursor();
    const int anchor = selection.anchor();
    const int position = selection.position();
    // What the program appends is not the user's edit to undo. Turning undo off clears what the user could
    // undo; keeping it would record every appended line and let Ctrl+Z take entries away.
    editWithoutUndo(document(), [&insert](QTextCursor& cursor) {
        cursor.movePosition(QTextCursor::End);
        insert(cursor);
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

DocumentBox::DocumentBox(QWidget* parent)
    : QPlainTextEdit(parent)
    , m_reads(std::make_shared<ReadGate>())
    , m_currentReads(std::make_shared<std::atomic<int>>(0))
{
    // Before anything asks about the box, so that every screen reader gets the guarded interface.
    installGuardedTextAccessible("vardelo::DocumentBox", [](const QWidget* widget) {
        const auto* box = qobject_cast<const DocumentBox*>(widget);
        return box != nullptr && !box->editsHeld() && !box->isReadOnly();
    });
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_slices.setInterval(0);
    connect(&m_slices, &QTimer::timeout, this, &DocumentBox::showPendingForAWhile);
    watchDocument();
}

DocumentBox::~DocumentBox()
{
    m_reads->waitUntilFree();
}

void DocumentBox::watchDocument()
{
    // Every change, whoever makes it (a key, a cut, a drop, the program), is looked at once it is complete.
    connect(document(), &QTextDocument::contentsChange, this, &DocumentBox::noteChange);
    connect(document(), &QTextDocument::contentsChanged, this, &DocumentBox::joinCrThenLfWhereChanged);
}

void DocumentBox::detachDocument()
{
    QTextDocument* old = document();
    const QFont font = old->defaultFont();
    const qreal margin = old->documentMargin();
    // The widget deletes a document of its own when it takes another; this one is the reads' until they end.
    disconnect(old, nullptr, this, nullptr);
    old->setParent(nullptr);
    m_detached.push_back(
        {std::unique_ptr<QTextDocument>(old), std::exchange(m_currentReads, std::make_shared<std::atomic<int>>(0))});
    setDocument(nullptr);
    document()->setDefaultFont(font);
    document()->setDocumentMargin(margin);
    m_changed.reset();
    watchDocument();
}

Result<QString> DocumentBox::text() const
{
    const int shown = shownLength();
    QString text;
    text.reserve(exactLength(*document(), 0, shown) + m_pendingLength);
    appendExactText(text, *document(), 0, shown);
    if (!m_pending.empty()) {
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
    // A read elsewhere keeps the moment it was asked for; the box does not wait for it.
    if (readsRunning()) {
        detachDocument();
    }
    m_pending.clear();
    m_pendingShown = 0;
    m_pendingLength = 0;
    m_slices.stop();
    editWithoutUndo(document(), [&text](QTextCursor& cursor) {
        cursor.select(QTextCursor::Document);
        cursor.removeSelectedText();
        insertExactText(cursor, text);
    });
    updateEditable();
    return Status::success();
}

Status DocumentBox::append(const QString& text)
{
    return append(text, QString());
}

Status DocumentBox::append(const QString& first, const QString& second)
{
    const qsizetype length = first.size() + second.size();
    if (length > MaxLength - shownLength() - m_pendingLength) {
        return documentFull();
    }
    if (readsRunning() || !m_pending.empty() || length > SliceLength) {
        if (m_pending.empty()) {
            m_followPending = caretAtEnd();
        }
        for (const QString* text : {&first, &second}) {
            if (!text->isEmpty()) {
                m_pending.push_back(*text);
            }
        }
        m_pendingLength += length;
        // The user's edits would land among texts the widget does not show yet.
        updateEditable();
        if (!readsRunning()) {
            m_slices.start();
        }
        return Status::success();
    }
    const bool follow = caretAtEnd();
    showAtEnd([&first, &second](QTextCursor& cursor) {
        insertExactText(cursor, first);
        insertExactText(cursor, second);
    });
    if (follow) {
        moveCursor(QTextCursor::End);
        ensureCursorVisible();
    }
    return Status::success();
}

TextPieces DocumentBox::readLater()
{
    m_slices.stop();
    const auto read = std::make_shared<const PendingRead>(
        *this, std::vector<QString>(m_pending.begin(), m_pending.end()), m_pendingShown);
    updateEditable();
    return [read](const std::function<bool(QStringView)>& piece) { read->read(piece); };
}

bool DocumentBox::editsHeld() const
{
    return readsRunning() || !m_pending.empty();
}

void DocumentBox::readsEnded()
{
    std::erase_if(m_detached, [](const DetachedDocument& detached) { return detached.reads->load() == 0; });
    if (readsRunning()) {
        return;
    }
    updateEditable();
    if (!m_pending.empty()) {
        m_slices.start();
    }
}

void DocumentBox::updateEditable()
{
    const bool hold = editsHeld();
    if (hold == m_holdingEdits) {
        return;
    }
    m_holdingEdits = hold;
    if (hold) {
        m_readOnlyBeforeHold = isReadOnly();
        setReadOnly(true);
        return;
    }
    setReadOnly(m_readOnlyBeforeHold);
    if (const QString commit = std::exchange(m_heldCommit, {}); !commit.isEmpty() && !isReadOnly()) {
        insertAtCaret(commit);
    }
}

void DocumentBox::showPendingForAWhile()
{
    if (!m_pending.empty() && !readsRunning()) {
        // One change for the whole turn: the widget then lays out the lines it shows once a turn, not once a
        // slice.
        QElapsedTimer turn;
        turn.start();
        showAtEnd([this, &turn](QTextCursor& cursor) {
            while (!m_pending.empty() && turn.nsecsElapsed() < TurnBudgetNs) {
                showNextSlice(cursor);
            }
        });
    }
    if (!m_pending.empty() && !readsRunning()) {
        return;
    }
    m_slices.stop();
    if (m_pending.empty()) {
        updateEditable();
        if (m_followPending) {
            moveCursor(QTextCursor::End);
            ensureCursorVisible();
        }
    }
}

void DocumentBox::showNextSlice(QTextCursor& cursor)
{
    const QString& text = m_pending.front();
    // Small slices, so that a turn ends close to its budget.
    qsizetype length = std::min(SliceLength / 4, text.size() - m_pendingShown);
    const qsizetype sliceEnd = m_pendingShown + length;
    // A CR LF split between slices would show as two line ends.
    if (length > 0 && sliceEnd < text.size() && text[sliceEnd - 1] == u'\r' && text[sliceEnd] == u'\n') {
        ++length;
    }
    insertExactText(cursor, QStringView(text).sliced(m_pendingShown, length));
    m_pendingShown += length;
    m_pendingLength -= length;
    if (m_pendingShown == text.size()) {
        m_pending.pop_front();
        m_pendingShown = 0;
    }
}

void DocumentBox::noteChange(int from, int /*removed*/, int added)
{
    m_changed = m_changed ? std::pair {std::min(m_changed->first, from), std::max(m_changed->second, from + added)}
                          : std::pair {from, from + added};
}

void DocumentBox::joinCrThenLfWhereChanged()
{
    if (m_joining || !m_changed) {
        return;
    }
    const auto [from, to] = *std::exchange(m_changed, std::nullopt);
    const std::vector<int> lfBreaks = lfBreaksAfterCr(*document(), from, to);
    if (lfBreaks.empty()) {
        return;
    }
    m_joining = true;
    // Part of the edit that made the two meet, so that one undo takes back both.
    QTextCursor cursor(document());
    cursor.joinPreviousEditBlock();
    joinWithCrBefore(cursor, lfBreaks);
    cursor.endEditBlock();
    m_changed.reset();
    m_joining = false;
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

void DocumentBox::inputMethodEvent(QInputMethodEvent* event)
{
    // What an input method gives while the document must stay as it is waits for the hold to end; what it is
    // still composing is not shown meanwhile.
    if (editsHeld()) {
        m_heldCommit += event->commitString();
        event->accept();
        return;
    }
    QPlainTextEdit::inputMethodEvent(event);
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
    if (editsHeld() || exact.size() > MaxLength - shownLength() - m_pendingLength) {
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
