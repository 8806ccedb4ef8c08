#pragma once

#include <deque>

#include <QPlainTextEdit>
#include <QTimer>

#include "collect/TextHolder.h"
#include "windows/ExactTextMirror.h"

namespace vardelo {

/// The multi-line box that shows the collection document and lets the user edit it. Its text reads back
/// exactly as it was built, line ends included, whatever the user types in between.
class DocumentBox final : public QPlainTextEdit, public CollectionDocument
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(DocumentBox)

public:
    explicit DocumentBox(QWidget* parent = nullptr);
    ~DocumentBox() override;

    Result<QString> text() const override;
    Status setText(const QString& text) override;
    /// Adds text at the end. A caret standing at the end follows it, so a box left alone keeps showing the
    /// newest entry; a caret the user put elsewhere stays where it is.
    ///
    /// text() has the whole of it at once. A large text (or any text behind one) reaches the widget a slice
    /// per event-loop turn, as Qt takes some 3 µs a line and a 1 MB entry would stall the program for
    /// 40 ms; the box is read-only until it shows everything.
    Status append(const QString& text) override;
    /// Whether the widget shows all of text().
    bool isShowingEverything() const { return m_pending.empty(); }

    /// How the shown text maps to the exact one.
    const ExactTextMirror& mirror() const { return m_mirror; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    QMimeData* createMimeDataFromSelection() const override;
    void insertFromMimeData(const QMimeData* source) override;

private:
    void insertAtCaret(const QString& exact);
    void showNextSlice();
    /// Adds text at the end of what the widget shows, as the box's own change.
    void showAtEnd(const QString& text);
    void recordEdit(int position, int removed, int added);
    qsizetype shownLength() const;

    ExactTextMirror m_mirror;
    /// Set while the box changes its own text, so the change is not taken for the user's.
    bool m_changingItself = false;
    /// Appended texts the widget has yet to show, oldest first; each is shown on its own, as the mirror
    /// counted it, so a CR ending one and an LF starting the next stay two line ends.
    std::deque<QString> m_pending;
    /// How much of the oldest pending text the widget shows already.
    qsizetype m_pendingShown = 0;
    /// The caret stood at the end when the first pending text came, and follows it once all is shown.
    bool m_followPending = false;
    bool m_readOnlyBeforePending = false;
    QTimer m_slices;
};

} // namespace vardelo
