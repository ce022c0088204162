// SPDX-License-Identifier: GPL-3.0-or-later
#include "RenderPage.h"

#include <QColor>

RenderPage::RenderPage(QObject *parent)
    : QWebEnginePage(parent)
{
    setBackgroundColor(Qt::transparent);
}

void RenderPage::javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString &message, int line,
                                          const QString &source)
{
    Q_EMIT consoleMessage(level, message, line, source);
}
