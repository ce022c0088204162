// SPDX-License-Identifier: GPL-3.0-or-later
#include "ProgramAccessible.h"

#include <QApplication>
#include <QMenu>

int ProgramAccessible::childCount() const
{
    return QAccessibleApplication::childCount() + int(openMenus().size());
}

QAccessibleInterface *ProgramAccessible::child(int index) const
{
    const int windows = QAccessibleApplication::childCount();
    if (index < windows)
        return QAccessibleApplication::child(index);
    const QList<QMenu *> menus = openMenus();
    return index - windows < menus.size() ? QAccessible::queryAccessibleInterface(menus.at(index - windows)) : nullptr;
}

int ProgramAccessible::indexOfChild(const QAccessibleInterface *child) const
{
    if (auto *menu = child ? qobject_cast<QMenu *>(child->object()) : nullptr) {
        if (const qsizetype at = openMenus().indexOf(menu); at >= 0)
            return QAccessibleApplication::childCount() + int(at);
    }
    return QAccessibleApplication::indexOfChild(child);
}

QList<QMenu *> ProgramAccessible::openMenus()
{
    QList<QMenu *> menus;
    for (QWidget *window : QApplication::topLevelWidgets()) {
        auto *menu = qobject_cast<QMenu *>(window);
        if (menu && menu->isVisible() && !qobject_cast<QMenu *>(menu->parentWidget()))
            menus.append(menu);
    }
    return menus;
}
