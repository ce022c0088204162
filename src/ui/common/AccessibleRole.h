// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QAccessibleWidget>

// Gives a widget the role assistive technologies should see where Qt's own guess is wrong: the
// top-level views of the welcome and connections windows are windows, not fillers; options
// painted by hand that choose one of several are radio buttons with their checked state, not
// check boxes or nameless panes.
class AccessibleRole : public QAccessibleWidget
{
public:
    // Call before the widget is first shown.
    static void set(QWidget *widget, QAccessible::Role role);
    // The checked state of a radio option that is not a button; tells assistive technologies
    // when it changes. Buttons report their own checked state.
    static void setChecked(QWidget *widget, bool checked);

    AccessibleRole(QWidget *widget, QAccessible::Role role);

    QAccessible::State state() const override;
    QStringList actionNames() const override;
    void doAction(const QString &actionName) override;

private:
    bool isRadio() const { return role() == QAccessible::RadioButton; }
    bool isChecked() const;
};
