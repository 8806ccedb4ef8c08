#include "windows/GuardedTextAccessible.h"

#include <QWidget>

namespace vardelo {

namespace {

/// Forwards to Qt's interface for the widget, which it keeps beside itself in Qt's cache, and guards its
/// editing calls.
class GuardedTextAccessible final : public QAccessibleInterface,
                                    public QAccessibleTextInterface,
                                    public QAccessibleEditableTextInterface
{
public:
    GuardedTextAccessible(QAccessibleInterface* qts, bool (*mayEdit)(const QWidget*))
        : m_qts(qts)
        , m_qtsId(QAccessible::uniqueId(qts))
        , m_text(qts->textInterface())
        , m_mayEdit(mayEdit)
    { }
    ~GuardedTextAccessible() override
    {
        // Qt may have let it go already, with the widget; then this does nothing.
        QAccessible::deleteAccessibleInterface(m_qtsId);
    }
    GuardedTextAccessible(const GuardedTextAccessible&) = delete;
    GuardedTextAccessible& operator=(const GuardedTextAccessible&) = delete;

    bool isValid() const override { return m_qts->isValid(); }
    QObject* object() const override { return m_qts->object(); }
    QWindow* window() const override { return m_qts->window(); }
    QList<QPair<QAccessibleInterface*, QAccessible::Relation>> relations(QAccessible::Relation match) const override
    {
        return m_qts->relations(match);
    }
    QAccessibleInterface* focusChild() const override { return m_qts->focusChild(); }
    QAccessibleInterface* childAt(int x, int y) const override { return m_qts->childAt(x, y); }
    QAccessibleInterface* parent() const override { return m_qts->parent(); }
    QAccessibleInterface* child(int index) const override { return m_qts->child(index); }
    int childCount() const override { return m_qts->childCount(); }
    int indexOfChild(const QAccessibleInterface* child) const override { return m_qts->indexOfChild(child); }
    QString text(QAccessible::Text t) const override { return m_qts->text(t); }
    void setText(QAccessible::Text t, const QString& text) override
    {
        // Qt sets a box's value by replacing its whole text.
        if (t != QAccessible::Value || mayEdit()) {
            m_qts->setText(t, text);
        }
    }
    QRect rect() const override { return m_qts->rect(); }
    QAccessible::Role role() const override { return m_qts->role(); }
    QAccessible::State state() const override { return m_qts->state(); }
    QColor foregroundColor() const override { return m_qts->foregroundColor(); }
    QColor backgroundColor() const override { return m_qts->backgroundColor(); }
    void* interface_cast(QAccessible::InterfaceType type) override
    {
        switch (type) {
        case QAccessible::TextInterface:
            return m_text != nullptr ? static_cast<QAccessibleTextInterface*>(this) : nullptr;
        case QAccessible::EditableTextInterface:
            return m_qts->editableTextInterface() != nullptr ? static_cast<QAccessibleEditableTextInterface*>(this)
                                                             : nullptr;
        default:
            return m_qts->interface_cast(type);
        }
    }

    void selection(int index, int* start, int* end) const override { m_text->selection(index, start, end); }
    int selectionCount() const override { return m_text->selectionCount(); }
    void addSelection(int start, int end) override { m_text->addSelection(start, end); }
    void removeSelection(int index) override { m_text->removeSelection(index); }
    void setSelection(int index, int start, int end) override { m_text->setSelection(index, start, end); }
    int cursorPosition() const override { return m_text->cursorPosition(); }
    void setCursorPosition(int position) override { m_text->setCursorPosition(position); }
    QString text(int start, int end) const override { return m_text->text(start, end); }
    QString textBeforeOffset(int offset, QAccessible::TextBoundaryType type, int* start, int* end) const override
    {
        return m_text->textBeforeOffset(offset, type, start, end);
    }
    QString textAfterOffset(int offset, QAccessible::TextBoundaryType type, int* start, int* end) const override
    {
        return m_text->textAfterOffset(offset, type, start, end);
    }
    QString textAtOffset(int offset, QAccessible::TextBoundaryType type, int* start, int* end) const override
    {
        return m_text->textAtOffset(offset, type, start, end);
    }
    int characterCount() const override { return m_text->characterCount(); }
    QRect characterRect(int offset) const override { return m_text->characterRect(offset); }
    int offsetAtPoint(const QPoint& point) const override { return m_text->offsetAtPoint(point); }
    void scrollToSubstring(int start, int end) override { m_text->scrollToSubstring(start, end); }
    QString attributes(int offset, int* start, int* end) const override
    {
        return m_text->attributes(offset, start, end);
    }

    void deleteText(int start, int end) override
    {
        if (mayEdit()) {
            m_qts->editableTextInterface()->deleteText(start, end);
        }
    }
    void insertText(int offset, const QString& text) override
    {
        if (mayEdit()) {
            m_qts->editableTextInterface()->insertText(offset, text);
        }
    }
    void replaceText(int start, int end, const QString& text) override
    {
        if (mayEdit()) {
            m_qts->editableTextInterface()->replaceText(start, end, text);
        }
    }

private:
    bool mayEdit() const
    {
        const auto* widget = qobject_cast<const QWidget*>(m_qts->object());
        return widget != nullptr && m_mayEdit(widget);
    }

    QAccessibleInterface* const m_qts;
    const QAccessible::Id m_qtsId;
    QAccessibleTextInterface* const m_text;
    bool (*const m_mayEdit)(const QWidget*);
};

const char* guardedClass = nullptr;
bool (*guardedMayEdit)(const QWidget*) = nullptr;
/// Set while Qt's own interface for a guarded widget is asked for.
bool askingQt = false;

QAccessibleInterface* guardedInterface(const QString& className, QObject* object)
{
    if (askingQt || object == nullptr || className != QLatin1String(guardedClass)) {
        return nullptr;
    }
    // Qt's interface for the class the widget is built on, which Qt keeps in its cache.
    askingQt = true;
    QAccessibleInterface* qts = QAccessible::queryAccessibleInterface(object);
    askingQt = false;
    if (qts == nullptr || qts->textInterface() == nullptr) {
        return nullptr;
    }
    return new GuardedTextAccessible(qts, guardedMayEdit);
}

} // namespace

void installGuardedTextAccessible(const char* className, bool (*mayEdit)(const QWidget* widget))
{
    guardedClass = className;
    guardedMayEdit = mayEdit;
    QAccessible::installFactory(&guardedInterface);
}

} // namespace vardelo
