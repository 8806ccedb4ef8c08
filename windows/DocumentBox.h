#pragma once

#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <utility>

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
    /// Waits for a read on another thread to end first.
    ~DocumentBox() override;

    /// The whole text; it costs a walk over the document, so read it when it is needed, not on every tick.
    Result<QString> text() const override;
    /// Waits for a read on another thread to end first.
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
    /// moment: appended texts wait to be shown, as behind a large one, and the box is read-only.
    TextPieces readLater();

protected:
    void keyPressEvent(QKeyEvent* event) override;
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
    /// Reads on other threads have ended: the widget's document may change again.
    void readsEnded();
    void waitForReads();
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
    /// Reads of the document on other threads; while one runs, nothing changes the widget's document.
    std::shared_ptr<ReadGate> m_reads;
    bool m_readsRunning = false;
    bool m_holdingEdits = false;
    bool m_readOnlyBeforeHold = false;
    /// The part of the document that the last change made, to look for CR and LF breaks that now meet.
    std::optional<std::pair<int, int>> m_changed;
    bool m_joining = false;
};

} // namespace vardelo
