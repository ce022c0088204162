// SPDX-License-Identifier: GPL-3.0-or-later
#include "PageAudit.h"
#include "kit/Provider.h"
#include "platform/SignalWait.h"

#include <QCoreApplication>
#include <QCoro/QCoroFuture>
#include <QCoro/QCoroTimer>
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QPointer>
#include <QPromise>
#include <QUrl>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineView>
#include <chrono>
#include <unistd.h>

using namespace std::chrono_literals;

namespace {

// Keeps the page view's console errors, which the audit reports beside its own findings.
class AuditPage : public QWebEnginePage
{
public:
    AuditPage(QStringList *errors, QObject *parent)
        : QWebEnginePage(parent)
        , m_errors(errors)
    {}

protected:
    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString &message, int line,
                                  const QString &source) override
    {
        if (level == ErrorMessageLevel)
            m_errors->append(
                QStringLiteral("script error %1:%2: %3").arg(QUrl(source).fileName()).arg(line).arg(message));
    }

private:
    QStringList *m_errors;
};

constexpr int readinessPolls = 200;

// The page view's contract: the document, mode, theme, page and scale as one global, set
// before the page's own scripts run. A document without the providers table (a fixture) gets it,
// as `tessarine render` gives it.
QString injectedScript(const QString &dataJson, int page, const QString &mode, const std::optional<QString> &theme)
{
    const QJsonDocument document = QJsonDocument::fromJson(dataJson.toUtf8());
    const QString data =
        document.isObject()
            ? QString::fromUtf8(QJsonDocument(Provider::withTable(document.object())).toJson(QJsonDocument::Compact))
            : dataJson;
    return QStringLiteral("window.TESSARINE = { data: %1, mode: \"%2\", theme: %3, page: %4, scale: 1 };")
        .arg(data, mode, theme.value_or(QStringLiteral("null")))
        .arg(page);
}

} // namespace

PageAudit::PageAudit(const QString &viewsDir, QObject *parent)
    : QObject(parent)
    , m_viewsDir(viewsDir)
    , m_view(std::make_unique<QWebEngineView>())
{
    m_page = new AuditPage(&m_scriptErrors, m_view.get());
    m_view->setPage(m_page);
    m_view->setAttribute(Qt::WA_DontShowOnScreen);
    m_view->resize(1360, 480);
    m_view->show();
}

PageAudit::~PageAudit() = default;

void PageAudit::prepareEnvironment()
{
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    if (geteuid() == 0 && !qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
}

QCoro::Task<QStringList> PageAudit::audit(QString dataJson, int page, QString mode, std::optional<QString> themeJson,
                                          Tampering tampering)
{
    QPointer<PageAudit> self(this);
    m_scriptErrors.clear();
    if (!co_await load(injectedScript(dataJson, page, mode, themeJson) + tampering.prelude))
        co_return QStringList{QStringLiteral("the page view could not be loaded")};
    if (!self)
        co_return {};
    if (!co_await waitUntilReady())
        co_return m_scriptErrors + QStringList{QStringLiteral("the page view never became ready")};
    if (!self)
        co_return {};
    if (!tampering.style.isEmpty()) {
        const QString quoted =
            QString::fromUtf8(QJsonDocument(QJsonArray{tampering.style}).toJson(QJsonDocument::Compact));
        co_await evaluate(QStringLiteral("(() => { const s = document.createElement('style'); s.textContent = %1[0];"
                                         " document.head.appendChild(s); })()")
                              .arg(quoted));
        if (!self)
            co_return {};
    }
    const QVariant answer = co_await evaluate(QStringLiteral("window.Tess && Tess.audit ? Tess.audit() : null"));
    if (!self)
        co_return {};
    QStringList findings = m_scriptErrors;
    if (answer.typeId() != QMetaType::QVariantList)
        findings << QStringLiteral("the page view has no audit");
    for (const QVariant &finding : answer.toList())
        findings << finding.toString();
    co_return findings;
}

QCoro::Task<QVariant> PageAudit::evaluateOnPage(QString dataJson, int page, QString expression,
                                                std::optional<QString> themeJson)
{
    QPointer<PageAudit> self(this);
    if (!co_await load(injectedScript(dataJson, page, QStringLiteral("preview"), themeJson)) || !self)
        co_return QVariant();
    if (!co_await waitUntilReady() || !self)
        co_return QVariant();
    co_return co_await evaluate(expression);
}

QCoro::Task<bool> PageAudit::load(QString script)
{
    QWebEngineScript injected;
    injected.setInjectionPoint(QWebEngineScript::DocumentCreation);
    injected.setWorldId(QWebEngineScript::MainWorld);
    injected.setRunsOnSubFrames(false);
    injected.setSourceCode(script);
    m_page->scripts().clear();
    m_page->scripts().insert(injected);
    m_page->load(QUrl::fromLocalFile(QDir(m_viewsDir).filePath(QStringLiteral("page.html"))));
    const std::optional<bool> finished = co_await nextSignal(m_page, &QWebEnginePage::loadFinished, 10s);
    co_return finished.value_or(false);
}

QCoro::Task<QVariant> PageAudit::evaluate(QString expression)
{
    auto answered = std::make_shared<QPromise<QVariant>>();
    answered->start();
    QFuture<QVariant> future = answered->future();
    m_page->runJavaScript(expression, QWebEngineScript::MainWorld, [answered](const QVariant &value) {
        answered->addResult(value);
        answered->finish();
    });
    co_return co_await future;
}

QCoro::Task<bool> PageAudit::waitUntilReady()
{
    QPointer<PageAudit> self(this);
    for (int poll = 0; poll < readinessPolls; ++poll) {
        const QVariant ready =
            co_await evaluate(QStringLiteral("document.body && document.body.dataset.ready === '1'"));
        if (!self)
            co_return false;
        if (ready.typeId() == QMetaType::Bool && ready.toBool())
            co_return true;
        co_await QCoro::sleepFor(25ms);
    }
    co_return false;
}
