// SPDX-License-Identifier: GPL-3.0-or-later
#include "AccessibleRole.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QKeyEvent>

namespace {

const char roleProperty[] = "tessarineAccessibleRole";
const char checkedProperty[] = "tessarineAccessibleChecked";

QAccessibleInterface *roleFactory(const QString &, QObject *object)
{
    auto *widget = qobject_cast<QWidget *>(object);
    const QVariant role = widget ? widget->property(roleProperty) : QVariant();
    if (!role.isValid())
        return nullptr;
    return new AccessibleRole(widget, QAccessible::Role(role.toInt()));
}

} // namespace

void AccessibleRole::set(QWidget *widget, QAccessible::Role role)
{
    static const bool installed = [] {
        QAccessible::installFactory(roleFactory);
        return true;
    }();
    Q_UNUSED(installed)
    widget->setProperty(roleProperty, int(role));
}

void AccessibleRole::setChecked(QWidget *widget, bool checked)
{
    if (widget->property(checkedProperty).toBool() == checked && widget->property(checkedProperty).isValid())
        return;
    widget->setProperty(checkedProperty, checked);
    if (!QAccessible::isActive())
        return;
    QAccessible::State changed;
    changed.checked = true;
    QAccessibleStateChangeEvent event(widget, changed);
    QAccessible::updateAccessibility(&event);
}

AccessibleRole::AccessibleRole(QWidget *widget, QAccessible::Role role)
    : QAccessibleWidget(widget, role)
{}

bool AccessibleRole::isChecked() const
{
    if (const auto *button = qobject_cast<const QAbstractButton *>(widget()))
        return button->isChecked();
    return widget()->property(checkedProperty).toBool();
}

QAccessible::State AccessibleRole::state() const
{
    QAccessible::State state = QAccessibleWidget::state();
    if (isRadio()) {
        state.checkable = true;
        state.checked = isChecked();
    }
    return state;
}

QStringList AccessibleRole::actionNames() const
{
    QStringList names = QAccessibleWidget::actionNames();
    if (isRadio() && !names.contains(pressAction()))
        names.prepend(pressAction());
    return names;
}

void AccessibleRole::doAction(const QString &actionName)
{
    if (!isRadio() || actionName != pressAction()) {
        QAccessibleWidget::doAction(actionName);
        return;
    }
    if (auto *button = qobject_cast<QAbstractButton *>(widget())) {
        button->click();
        return;
    }
    // An option painted by hand chooses itself on Space, as a radio button does.
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "));
    QCoreApplication::sendEvent(widget(), &press);
}
