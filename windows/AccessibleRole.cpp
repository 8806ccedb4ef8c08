#include "windows/AccessibleRole.h"

#include <QAccessibleWidget>
#include <QWidget>

namespace vardelo {

namespace {

constexpr char RoleProperty[] = "vardelo_accessibleRole";

QAccessibleInterface* interfaceWithRole(const QString& /*className*/, QObject* object)
{
    const QVariant role = object != nullptr ? object->property(RoleProperty) : QVariant();
    if (!role.isValid() || !object->isWidgetType()) {
        return nullptr;
    }
    return new QAccessibleWidget(static_cast<QWidget*>(object), static_cast<QAccessible::Role>(role.toInt()));
}

} // namespace

void setAccessibleRole(QWidget* widget, QAccessible::Role role)
{
    // Installing it again does nothing.
    QAccessible::installFactory(&interfaceWithRole);
    widget->setProperty(RoleProperty, static_cast<int>(role));
    // Qt 6.8 makes the widget's interface as soon as its title is set, before the role is known, and keeps it;
    // that one goes, so that the next to ask gets one with the role.
    QAccessibleInterface* made = QAccessible::queryAccessibleInterface(widget);
    if (made != nullptr && made->role() != role) {
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(made));
    }
}

} // namespace vardelo
