#include "controls/AccessibleRoles.h"

#include "controls/ClipControl.h"

#include <QAccessibleWidget>

namespace qel {

namespace {

// Asked for each class of an object from the most derived one down, before
// the toolkit's own factory; "QWidget" is reached only by widgets the toolkit
// knows no better role for.
QAccessibleInterface* accessibleRole(const QString& className, QObject* object) {
    if (!object || !object->isWidgetType())
        return nullptr;
    auto* widget = static_cast<QWidget*>(object);
    if (className == QLatin1String(ClipControl::staticMetaObject.className()))
        return new QAccessibleWidget(widget, QAccessible::Animation);
    if (className == QLatin1String("QWidget")) {
        if (widget->windowType() == Qt::Dialog)
            return new QAccessibleWidget(widget, QAccessible::Dialog);
        if (widget->windowType() == Qt::Window)
            return new QAccessibleWidget(widget, QAccessible::Window);
    }
    return nullptr;
}

} // namespace

void installAccessibleRoles() {
    QAccessible::installFactory(accessibleRole);
}

} // namespace qel
