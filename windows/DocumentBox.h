#pragma once

#include <deque>

#include <QPlainTextEdit>
#include <QTimer>

#include "collect/TextHolder.h"

namespace vardelo {

/// The multi-line box that shows the collection document and lets the user edit it. What it shows is what
/// it holds: its one text is the widget's own document, whose line breaks remember the line ends they stand
/// for, so its text reads back exactly as it was built, line ends included, whatever the user does in it.
class DocumentBox final : public QPlainTextEdit, public CollectionDocument
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(DocumentBox)

public:
    /// The clipboard format in which the box copies and drags its text, exactly, to itself and to other boxes
    /// of the program; other programs take the plain text, which is exact as well.
    static constexpr char ExactTextMimeType[] = "application/x-vardelo-exact-text";

    explicit DocumentBox(QWidget* parent = nullptr);
    ~DocumentBox() override;

    /// The whole text; it costs a walk over the document, so read it when it is needed, not on every tick.
    Result<QString> text() const override;
    Status setText(const QString& text) override;
    /// Adds text at the end. A caret standing at the end follows it, so a box left alone keeps showing the
    /// newest entry; a caret the user put elsewhere stays where it is, and a selection keeps its ends.
    ///
    /// text() has the whole of it at once. A large text (or any text behind one) reaches the widget a slice
    /// per event-loop turn, as Qt takes some 3 µs a line and a 1 MB entry would stall the program for
    /// 40 ms; the box is read-only until it shows everything.
    Status append(const QString& text) override;
    /// Whether the widget shows all of text().
    bool isShowingEverything() const { return m_pending.empty(); }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    QMimeData* createMimeDataFromSelection() const override;
    bool canInsertFromMimeData(const QMimeData* source) const override;
    void insertFromMimeData(const QMimeData* source) override;

private:
    /// Replaces the selection, or inserts at the caret, as the user's edit.
    void insertAtCaret(QStringView exact);
    void showNextSlice();
    /// Adds text at the end of what the widget shows, as the box's own change rather than the user's.
    void showAtEnd(QStringView text);
    int shownLength() const;
    bool caretAtEnd() const;

    /// Appended texts the widget has yet to show, oldest first; each is shown on its own, so a CR ending one
    /// and an LF starting the next stay two line ends, as the text was built.
    std::deque<QString> m_pending;
    /// How much of the oldest pending text the widget shows already.
    qsizetype m_pendingShown = 0;
    /// How many characters of the pending texts the widget does not show yet.
    qsizetype m_pendingLength = 0;
    /// The caret stood at the end when the first pending text came, and follows it once all is shown.
    bool m_followPending = false;
    bool m_readOnlyBeforePending = false;
    QTimer m_slices;
};

} // namespace vardelo
