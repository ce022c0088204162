// SPDX-License-Identifier: GPL-3.0-or-later
#include "FrameAutosave.h"

#include "WindowFrameStore.h"

#include <QEvent>
#include <QWidget>

FrameAutosave::FrameAutosave(QWidget &window, QString name)
    : QObject(&window)
    , m_window(&window)
    , m_name(std::move(name))
{
    window.installEventFilter(this);
}

bool FrameAutosave::restore()
{
    const std::optional<QRect> frame = WindowFrameStore::load(m_name);
    if (!frame || !m_window)
        return false;
    m_window->setGeometry(*frame);
    return true;
}

void FrameAutosave::save()
{
    if (m_window && !m_held)
        WindowFrameStore::save(m_name, m_window->geometry());
}

bool FrameAutosave::eventFilter(QObject *watched, QEvent *event)
{
    const bool moved = event->type() == QEvent::Move || event->type() == QEvent::Resize;
    if (watched == m_window && moved && m_window->isVisible())
        save();
    return QObject::eventFilter(watched, event);
}
