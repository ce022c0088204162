// SPDX-License-Identifier: GPL-3.0-or-later
#include "FullScreenEscape.h"

#include "model/FrameModel.h"
#include "platform/Defaults.h"

#include <QEvent>
#include <QKeyEvent>
#include <QWidget>

QString FullScreenEscape::sizeKey()
{
    return QStringLiteral("cardSize");
}

FullScreenEscape::FullScreenEscape(FrameModel &model, QWidget &window)
    : QObject(&window)
    , m_model(model)
    , m_window(&window)
{
    window.installEventFilter(this);
    rememberCardSize();
    connect(&m_model, &FrameModel::sizeChanged, this, &FullScreenEscape::rememberCardSize);
}

void FullScreenEscape::rememberCardSize()
{
    if (m_model.size() != FrameSize::FullScreen)
        Defaults::setValue(sizeKey(), m_model.size().name());
}

FrameSize FullScreenEscape::cardSize() const
{
    const std::optional<QString> stored = Defaults::stringValue(sizeKey());
    const std::optional<FrameSize> size = stored ? FrameSize::fromName(*stored) : std::nullopt;
    if (!size || *size == FrameSize::FullScreen)
        return FrameSize::Medium;
    return *size;
}

bool FullScreenEscape::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_window || m_model.size() != FrameSize::FullScreen)
        return QObject::eventFilter(watched, event);
    // The grid takes the focus only when asked, by a click, so that its keys work at all.
    if (event->type() == QEvent::MouseButtonPress)
        m_window->activateWindow();
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape) {
        m_model.setSize(cardSize());
        return true;
    }
    return QObject::eventFilter(watched, event);
}
