// SPDX-License-Identifier: GPL-3.0-or-later
#include "CloseKeys.h"

#include <QKeySequence>
#include <QShortcut>
#include <QWidget>

namespace CloseKeys {

void install(QWidget &window)
{
    QList<QKeySequence> keys{QKeySequence(Qt::Key_Escape), QKeySequence(Qt::CTRL | Qt::Key_W)};
    for (const QKeySequence &close : QKeySequence::keyBindings(QKeySequence::Close)) {
        if (!keys.contains(close))
            keys.append(close);
    }
    for (const QKeySequence &key : keys) {
        auto *shortcut = new QShortcut(key, &window);
        shortcut->setContext(Qt::WindowShortcut);
        QObject::connect(shortcut, &QShortcut::activated, &window, &QWidget::close);
    }
}

} // namespace CloseKeys
