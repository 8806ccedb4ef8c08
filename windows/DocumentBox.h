#pragma once

#include <QPlainTextEdit>

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
    Status append(const QString& text) override;

    /// How the shown text maps to the exact one.
    const ExactTextMirror& mirror() const { return m_mirror; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    QMimeData* createMimeDataFromSelection() const override;
    void insertFromMimeData(const QMimeData* source) override;

private:
    void insertAtCaret(const QString& exact);
    void recordEdit(int position, int removed, int added);
    qsizetype shownLength() const;

    ExactTextMirror m_mirror;
    /// Set while the box changes its own text, so the change is not taken for the user's.
    bool m_changingItself = false;
};

} // namespace vardelo
