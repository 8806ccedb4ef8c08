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
}

} // namespace vardelo
