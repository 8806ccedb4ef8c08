#pragma once

#include <atomic>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include <QPlainTextEdit>
#include <QTimer>

#include "collect/TextHolder.h"
#include "platform/textfile/TextFileEncoding.h"

namespace vardelo {

class ReadGate;

/// The multi-line box that shows the collection document and lets the user edit it. What it shows is what
/// it holds: its one text is the widget's own document, whose line breaks remember the line ends they stand
/// for, so its text reads back exactly as it was built, line ends included, whatever the user does in it.
/// A CR break directly followed by an LF break becomes one CR LF break, however the two came to meet, as a
/// saved file shows them as one line end.
class DocumentBox final : public QPlainTextEdit, public CollectionDocument
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(DocumentBox)

public:
    /// The clipboard format in which the box copies and drags its text, exactly, to itself and to other boxes
    /// of the program; other programs take the plain text, which is exact as well.
    static constexpr char ExactTextMimeType[] = "application/x-vardelo-exact-text";

    explicit DocumentBox(QWidget* parent = nullptr);
    /// Waits for reads on other threads to end first.
    ~DocumentBox() override;

    /// The whole text; it costs a walk over the document, so read it when it is needed, not on every tick.
    Result<QString> text() const override;
    /// Never waits: while a read on another thread walks the document, the widget goes on with a new one and
    /// the read keeps the old one until it ends.
    Status setText(const QString& text) override;
    /// Adds text at the end. A caret standing at the end follows it, so a box left alone keeps showing the
    /// newest entry; a caret the user put elsewhere stays where it is, and a selection keeps its ends.
    ///
    /// text() has the whole of it at once. A large text (or any text behind one) reaches the widget a few
    /// milliseconds of Qt's work per event-loop turn, as Qt takes some 3 µs a line and a 1 MB entry would
    /// stall the program for 40 ms; the box is read-only until it shows everything.
    Status append(const QString& text) override;
    /// The same for two texts, each taken as it is, so that a large entry is not copied to join it to its
    /// separator.
    Status append(const QString& first, const QString& second) override;
    /// Whether the widget shows all of text().
    bool isShowingEverything() const { return m_pending.empty(); }

    /// The whole text as it stands now, for a read on another thread, a stretch at a time, once or more.
    /// Until the function has gone, the widget's document stays as it is, so that each read sees this
    /// moment: appended texts wait to be shown, as behind a large one, and nothing edits it (see editsHeld()).
    TextPieces readLater();

    /// Whether nothing may change the widget's document now: a read elsewhere needs it still, or texts wait to
    /// be shown, among which an edit would land. Every way an edit comes in asks this: keys, undo, drops and
    /// pastes through the box being read-only meanwhile, an input method's text, which waits until the hold
    /// ends, and a screen reader's editing calls, which are refused.
    bool editsHeld() const;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    QMimeData* createMimeDataFromSelection() const override;
    bool canInsertFromMimeData(const QMimeData* source) const override;
    void insertFromMimeData(const QMimeData* source) override;

private:
    class PendingRead;

    /// Replaces the selection, or inserts at the caret, as the user's edit.
    void insertAtCaret(QStringView exact);
    void showPendingForAWhile();
    void showNextSlice(QTextCursor& cursor);
    /// Runs insert(cursor) at the end of what the widget shows, as the box's own change rather than the user's.
    template <typename Insert> void showAtEnd(Insert insert);
    void noteChange(int from, int removed, int added);
    void joinCrThenLfWhereChanged();
    /// A read on another thread has ended: the widget's document may change again once none walks it, and a
    /// document taken away from reads goes once its last one ends.
    void readsEnded();
    /// Whether a read on another thread walks the widget's document.
    bool readsRunning() const { return m_currentReads->load() > 0; }
    /// Gives the widget a new, empty document and leaves the old one to the reads that walk it.
    void detachDocument();
    /// Follows the changes of the widget's document.
    void watchDocument();
    /// The box is read-only while a read elsewhere needs its document still or it has texts yet to show.
    void updateEditable();
    int shownLength() const;
    bool caretAtEnd() const;

    /// Appended texts the widget has yet to show, oldest first.
    std::deque<QString> m_pending;
    /// How much of the oldest pending text the widget shows already.
    qsizetype m_pendingShown = 0;
    /// How many characters of the pending texts the widget does not show yet.
    qsizetype m_pendingLength = 0;
    /// The caret stood at the end when the first pending text came, and follows it once all is shown.
    bool m_followPending = false;
    QTimer m_slices;
    /// Reads of the box's documents on other threads, which the box waits for before it goes.
    std::shared_ptr<ReadGate> m_reads;
    /// How many of them walk the widget's document; while one does, nothing changes it.
    std::shared_ptr<std::atomic<int>> m_currentReads;
    /// Documents the widget no longer shows, kept for the reads that still walk them.
    struct DetachedDocument
    {
        std::unique_ptr<QTextDocument> document;
        std::shared_ptr<std::atomic<int>> reads;
    };
    std::vector<DetachedDocument> m_detached;
    /// What an input method gave while edits were held.
    QString m_heldCommit;
    bool m_holdingEdits = false;
    bool m_readOnlyBeforeHold = false;
    /// The part of the document that the last change made, to look for CR and LF breaks that now meet.
    std::optional<std::pair<int, int>> m_changed;
    bool m_joining = false;
};

} // namespace vardelo
