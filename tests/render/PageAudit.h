// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QCoro/QCoroTask>
#include <QObject>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

class QWebEngineView;
class QWebEnginePage;

// Draws one page of a data document through the shipped page view, as the renderer does, and
// asks the page view's own audit (Tess.audit) what it found: widgets that failed, clipped or
// overlapping text, text too small or too faint, panel shapes off the pixel grid. Script errors
// of the page view count as findings too. Used by the page audit test and the gallery's tool.
class PageAudit : public QObject
{
    Q_OBJECT
public:
    explicit PageAudit(const QString &viewsDir, QObject *parent = nullptr);
    ~PageAudit() override;

    // What a test may add to the page to see the audit catch it: a script run before the page
    // view's own scripts, and style rules added once the page is drawn.
    struct Tampering
    {
        QString prelude;
        QString style;
    };

    // The findings for page `page` drawn in `mode` ("preview" or "panel") with `themeJson`.
    QCoro::Task<QStringList> audit(QString dataJson, int page, QString mode, std::optional<QString> themeJson,
                                   Tampering tampering = {});

    // The value of a script expression on page `page` once it is drawn (in the preview mode,
    // with `themeJson` or none): for looking at the page view's own helpers.
    QCoro::Task<QVariant> evaluateOnPage(QString dataJson, int page, QString expression,
                                         std::optional<QString> themeJson = std::nullopt);

    // Call before the QApplication exists, like the renderer's own preparation.
    static void prepareEnvironment();

private:
    QCoro::Task<bool> load(QString script);
    QCoro::Task<QVariant> evaluate(QString expression);
    QCoro::Task<bool> waitUntilReady();

    QString m_viewsDir;
    std::unique_ptr<QWebEngineView> m_view;
    QWebEnginePage *m_page = nullptr;
    QStringList m_scriptErrors;
};
