// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWebEnginePage>

// The renderer's web page. It keeps the page view's console to itself (nothing reaches the
// terminal) and hands every message on as a signal, so tests can fail on script errors.
class RenderPage : public QWebEnginePage
{
    Q_OBJECT
public:
    explicit RenderPage(QObject *parent = nullptr);

Q_SIGNALS:
    void consoleMessage(QWebEnginePage::JavaScriptConsoleMessageLevel level, const QString &message, int line,
                        const QString &source);

protected:
    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString &message, int line,
                                  const QString &source) override;
};
