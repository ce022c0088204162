// SPDX-License-Identifier: GPL-3.0-or-later
#include "SlotEscape.h"

#include "EditorState.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

SlotEscape::SlotEscape(QWidget &window, EditorState &state)
    : QObject(&window)
    , m_window(&window)
    , m_state(state)
{
    // The window's close shortcut is decided before any of its widgets sees the key, so the
    // key is claimed on the application's way in.
    qApp->installEventFilter(this);
}

bool SlotEscape::isEscapeForThisWindow(QObject *watched, QEvent *event) const
{
    if (event->type() != QEvent::ShortcutOverride && event->type() != QEvent::KeyPress)
        return false;
    const auto *key = static_cast<const QKeyEvent *>(event);
    if (key->key() != Qt::Key_Escape || key->modifiers() != Qt::NoModifier || !m_state.selectedSlot())
        return false;
    const auto *widget = qobject_cast<const QWidget *>(watched);
    return widget && m_window && widget->window() == m_window;
}

bool SlotEscape::eventFilter(QObject *watched, QEvent *event)
{
    if (!isEscapeForThisWindow(watched, event))
        return QObject::eventFilter(watched, event);
    event->accept();
    if (event->type() == QEvent::KeyPress)
        m_state.setSelectedSlot(std::nullopt);
    return true;
}
