// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QAccessibleObject>
#include <QList>

class QMenu;

// The program as assistive technologies see it: its windows, as Qt lists them, and also its open
// menu. Qt names the program as a popup menu's parent yet leaves popups out of its children, so a
// screen reader finds the menu at no place in its parent, takes it for a dead object and
// searches the whole tree for it (Orca stalls for many seconds).
class ProgramAccessible : public QAccessibleApplication
{
public:
    int childCount() const override;
    QAccessibleInterface *child(int index) const override;
    int indexOfChild(const QAccessibleInterface *child) const override;

private:
    // The open menus whose parent is the program: submenus belong to their menus.
    static QList<QMenu *> openMenus();
};
