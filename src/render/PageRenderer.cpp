// SPDX-License-Identifier: GPL-3.0-or-later
#include "PageRenderer.h"

#include "PanelPicture.h"
#include "RenderPage.h"
#include "kit/Problem.h"

#include <QCoreApplication>
#include <QCoro/QCoroFuture>
#include <QCoro/QCoroTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QPointer>
#include <QPromise>
#include <QWebEngineLoadingInfo>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineSettings>
#include <QWebEngineView>

#include <chrono>
#include <unistd.h>

using namespace std::chrono_literals;

namespace {

const QString readinessExpression = QStringLiteral("document.body && document.body.dataset.ready === '1'");
constexpr auto pollInterval = 25ms;
// A redraw in a loaded page view is ready two frames after it is drawn; polling often costs
// little next to the frames it saves.
constexpr auto redrawPollInterval = 4ms;
const QString redrawCall =
    QStringLiteral("(window.Tess && window.Tess.page && typeof window.Tess.page.redraw === 'function') ? "
                   "(window.Tess.page.redraw(%1), true) : false");
// A page view always paints something, so a blank grab is waited out for much longer than a grab
// that repeats the last picture, which two pages that look the same truly produce. On a loaded
// machine the first frame of a cold page at scale 3 has come after more than 3 s; the wait stays
// well inside the renderer's time for one picture.
constexpr auto blankFrameWait = 10000ms;
constexpr auto repeatedFrameWait = 600ms;
// The page view's words for the page it has drawn; pages without them give no text.
const QString pageTextCall =
    QStringLiteral("(window.Tess && window.Tess.text && typeof window.Tess.text.read === 'function') ? "
                   "String(window.Tess.text.read()) : ''");
constexpr auto blankFrameInterval = 10ms;
constexpr auto stillFrameInterval = 30ms;
// Chromium accepts zoom factors up to 5; larger scales are enlarged after the grab.
constexpr double largestZoom = 5.0;

QString closedMessage()
{
    return QStringLiteral("The page renderer was closed before the picture was taken.");
}

} // namespace

PageRenderer::PageRenderer(const QString &viewsDir, QObject *parent)
    : QObject(parent)
    , m_viewsDir(viewsDir)
{
    createView();
}

PageRenderer::~PageRenderer() = default;

void PageRenderer::createView()
{
    m_view = std::make_unique<QWebEngineView>();
    m_page = new RenderPage(m_view.get());
    m_view->setPage(m_page);
    // Without a translucent window the grabbed picture has no alpha channel.
    m_view->setAttribute(Qt::WA_TranslucentBackground);
    m_view->setAttribute(Qt::WA_DontShowOnScreen);
    m_view->setAttribute(Qt::WA_ShowWithoutActivating);
    m_view->setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowTransparentForInput |
                           Qt::WindowDoesNotAcceptFocus);
    m_view->setContextMenuPolicy(Qt::NoContextMenu);
    // A page never scrolls. Between a change of scale and the new page's first frame the view
    // can hand over a frame of the old zoom, empty but for scroll bars; without them such a
    // frame is blank and waited out instead of being taken as the picture.
    m_page->settings()->setAttribute(QWebEngineSettings::ShowScrollBars, false);
    m_view->move(-10000, -10000);
    m_view->resize(canvasWidth, canvasHeight);
    m_view->show();

    connect(m_page, &RenderPage::consoleMessage, this, &PageRenderer::consoleMessage);
    connect(m_page, &QWebEnginePage::loadingChanged, this, [this](const QWebEngineLoadingInfo &info) {
        if (info.status() == QWebEngineLoadingInfo::LoadSucceededStatus)
            finishLoad({});
        else if (info.status() == QWebEngineLoadingInfo::LoadFailedStatus)
            finishLoad(QStringLiteral("The page view could not be loaded from %1 (%2).")
                           .arg(info.url().toLocalFile(), info.errorString()));
        else if (info.status() == QWebEngineLoadingInfo::LoadStoppedStatus)
            finishLoad(QStringLiteral("Loading the page view was stopped."));
    });
    connect(m_page, &QWebEnginePage::renderProcessTerminated, this, [this] {
        m_loadedScale = 0;
        finishLoad(QStringLiteral("The page view stopped unexpectedly."));
    });
}

QString PageRenderer::injectedScript(const QString &dataJson, int page, const QString &mode,
                                     const std::optional<QString> &themeJson, int scale)
{
    return QStringLiteral("window.TESSARINE = ") + inputObject(dataJson, page, mode, themeJson, scale) +
           QLatin1Char(';');
}

QString PageRenderer::inputObject(const QString &dataJson, int page, const QString &mode,
                                  const std::optional<QString> &themeJson, int scale)
{
    return QStringLiteral("{ data: ") + dataJson + QStringLiteral(", mode: \"") + mode + QStringLiteral("\", theme: ") +
           themeJson.value_or(QStringLiteral("null")) + QStringLiteral(", page: ") + QString::number(page) +
           QStringLiteral(", scale: ") + QString::number(scale) + QStringLiteral(" }");
}

void PageRenderer::prepareEnvironment(Platform platform)
{
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    // Chromium refuses to start its sandbox as root; for a normal user the sandbox stays on.
    if (geteuid() == 0 && !qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    if (qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        return;
    const bool hasDisplay = !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
    if (platform == Platform::AlwaysOffscreen || !hasDisplay)
        qputenv("QT_QPA_PLATFORM", "offscreen");
}

void PageRenderer::keepPageRendererInProcess()
{
    // Such a process draws nothing but the shipped page view, so the web engine's zygote and
    // renderer processes buy no safety worth their cost: they take a third of the memory at the
    // peak of a refresh (the libraries each of them maps again) and a sixth of a cold start. A
    // crash of the page renderer ends the whole process, which its callers already report as a
    // failed picture. Chromium's own logging, which in this mode warns on standard error that it
    // cannot resolve proxies (nothing here goes through one), is switched off.
    QByteArray flags = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
    for (const QByteArray &flag :
         {QByteArray("--single-process"), QByteArray("--disable-logging"), QByteArray("--log-level=3")}) {
        if (!flags.split(' ').contains(flag))
            flags += ' ' + flag;
    }
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS", flags.trimmed());
}

QCoro::Task<QImage> PageRenderer::render(QString dataJson, int page, QString mode, std::optional<QString> themeJson,
                                         int scale)
{
    RenderedPage rendered =
        co_await renderWithText(std::move(dataJson), page, std::move(mode), std::move(themeJson), scale);
    co_return std::move(rendered.picture);
}

QCoro::Task<RenderedPage> PageRenderer::renderWithText(QString dataJson, int page, QString mode,
                                                       std::optional<QString> themeJson, int scale)
{
    QPointer<PageRenderer> self(this);
    const std::optional<OneAtATime::Turn> turn = co_await m_turns.take();
    if (!turn)
        throw Problem(closedMessage());

    scale = std::max(scale, 1);
    bool redrawn = false;
    if (m_keepLoaded && m_loadedScale == scale) {
        redrawn = co_await redrawLoaded(inputObject(dataJson, page, mode, themeJson, scale));
        if (!self)
            throw Problem(closedMessage());
    }
    if (!redrawn) {
        const QString loadError = co_await loadAfresh(injectedScript(dataJson, page, mode, themeJson, scale), scale);
        if (!self)
            throw Problem(closedMessage());
        if (!loadError.isEmpty())
            throw Problem(loadError);
    }
    co_await waitUntilReady(redrawn ? redrawPollInterval : pollInterval);
    if (!self)
        throw Problem(closedMessage());
    const QString text = co_await pageText();
    if (!self)
        throw Problem(closedMessage());

    QImage picture = co_await settledSnapshot(scale, !redrawn);
    if (!self)
        throw Problem(closedMessage());
    if (picture.isNull())
        throw Problem(QStringLiteral("The picture of the page could not be taken."));
    if (mode == QStringLiteral("panel"))
        picture = PanelPicture::fromSnapshot(picture);
    co_return RenderedPage{std::move(picture), text};
}

QCoro::Task<QString> PageRenderer::loadAfresh(QString script, int scale)
{
    m_loadedScale = 0;
    ++m_pageViewLoads;
    installScript(script);
    sizeForScale(scale);
    const QString loadError = co_await loadPageView();
    if (loadError.isEmpty())
        m_loadedScale = scale;
    co_return loadError;
}

QCoro::Task<bool> PageRenderer::redrawLoaded(QString input)
{
    // The page view clears data-ready before the call returns, so the readiness poll that
    // follows waits for the new drawing.
    const bool redrawn = co_await evaluatesTrue(redrawCall.arg(input));
    if (!redrawn)
        m_loadedScale = 0;
    co_return redrawn;
}

void PageRenderer::installScript(const QString &source)
{
    QWebEngineScript script;
    script.setName(QStringLiteral("tessarine"));
    script.setInjectionPoint(QWebEngineScript::DocumentCreation);
    script.setWorldId(QWebEngineScript::MainWorld);
    script.setRunsOnSubFrames(false);
    script.setSourceCode(source);
    m_page->scripts().clear();
    m_page->scripts().insert(script);
}

void PageRenderer::sizeForScale(int scale)
{
    // The view is sized in device pixels so the grab is 1360·scale wide whatever the screen's
    // pixel ratio; the zoom makes the page see a canvas of 1360 × 480 CSS pixels.
    m_view->move(-10000, -10000);
    const qreal ratio = m_view->devicePixelRatioF() > 0 ? m_view->devicePixelRatioF() : 1.0;
    const qreal zoom = std::min(scale / ratio, largestZoom);
    const QSize logical(qRound(canvasWidth * zoom), qRound(canvasHeight * zoom));
    if (m_view->size() != logical)
        m_view->resize(logical);
    m_page->setZoomFactor(zoom);
}

QCoro::Task<QString> PageRenderer::loadPageView()
{
    m_loaded = std::make_shared<QPromise<void>>();
    m_loaded->start();
    m_loadError.clear();
    QFuture<void> loaded = m_loaded->future();
    m_page->load(QUrl::fromLocalFile(QDir(m_viewsDir).filePath(QStringLiteral("page.html"))));
    co_await loaded;
    co_return loaded.isCanceled() ? closedMessage() : m_loadError;
}

void PageRenderer::finishLoad(const QString &error)
{
    if (!m_loaded)
        return;
    m_loadError = error;
    auto loaded = std::move(m_loaded);
    loaded->finish();
}

QCoro::Task<bool> PageRenderer::evaluatesTrue(QString expression)
{
    auto answered = std::make_shared<QPromise<void>>();
    auto ready = std::make_shared<bool>(false);
    answered->start();
    QFuture<void> future = answered->future();
    m_page->runJavaScript(expression, QWebEngineScript::MainWorld, [answered, ready](const QVariant &value) {
        *ready = value.typeId() == QMetaType::Bool && value.toBool();
        answered->finish();
    });
    co_await future;
    co_return *ready;
}

QCoro::Task<QString> PageRenderer::pageText()
{
    auto answered = std::make_shared<QPromise<void>>();
    auto text = std::make_shared<QString>();
    answered->start();
    QFuture<void> future = answered->future();
    m_page->runJavaScript(pageTextCall, QWebEngineScript::MainWorld, [answered, text](const QVariant &value) {
        if (value.typeId() == QMetaType::QString)
            *text = value.toString();
        answered->finish();
    });
    co_await future;
    co_return *text;
}

QCoro::Task<> PageRenderer::waitUntilReady(std::chrono::milliseconds interval)
{
    // The same time in all: 200 polls 25 ms apart after a load, more and shorter after a redraw.
    QPointer<PageRenderer> self(this);
    const int polls = int(readinessPolls * (pollInterval / interval));
    for (int poll = 1; poll <= polls; ++poll) {
        const bool ready = co_await evaluatesTrue(readinessExpression);
        if (!self || ready || poll == polls)
            co_return;
        co_await QCoro::sleepFor(interval);
        if (!self)
            co_return;
    }
}

QCoro::Task<QImage> PageRenderer::settledSnapshot(int scale, bool freshlyLoaded)
{
    // The web engine hands its frames to the view a little after the page has painted them: a
    // freshly loaded page shows nothing until its first frame arrives, and under load the view
    // may still hold the previous page's last frame. So a picture with no visible pixel, or the
    // very picture taken last time, is taken again for a short while before it is accepted as it
    // is (two pages may truly look the same).
    QPointer<PageRenderer> self(this);
    QImage picture = snapshot(scale);
    QElapsedTimer waited;
    waited.start();
    const auto worthAnotherLook = [this, &waited](const QImage &candidate) {
        if (isBlank(candidate))
            return waited.elapsed() < blankFrameWait.count();
        return fingerprint(candidate) == m_lastFingerprint && waited.elapsed() < repeatedFrameWait.count();
    };
    while (worthAnotherLook(picture)) {
        co_await QCoro::sleepFor(blankFrameInterval);
        if (!self)
            co_return QImage();
        picture = snapshot(scale);
    }
    // A freshly loaded page is rastered in tiles, and on a busy machine a frame with only some
    // of them filled has reached the view. Such a page's picture is taken once it holds still:
    // two grabs a moment apart that agree.
    size_t previous = fingerprint(picture);
    while (freshlyLoaded && waited.elapsed() < blankFrameWait.count()) {
        co_await QCoro::sleepFor(stillFrameInterval);
        if (!self)
            co_return QImage();
        QImage again = snapshot(scale);
        const size_t current = fingerprint(again);
        const bool still = current == previous && !isBlank(again);
        picture = std::move(again);
        previous = current;
        if (still)
            break;
    }
    m_lastFingerprint = previous;
    co_return picture;
}

size_t PageRenderer::fingerprint(const QImage &picture)
{
    if (picture.isNull())
        return 0;
    return qHashBits(picture.constBits(), size_t(picture.sizeInBytes()), qHash(picture.size()));
}

bool PageRenderer::isBlank(const QImage &picture)
{
    if (picture.isNull() || !picture.hasAlphaChannel())
        return false;
    for (int y = 0; y < picture.height(); ++y) {
        const auto *row = reinterpret_cast<const QRgb *>(picture.constScanLine(y));
        for (int x = 0; x < picture.width(); ++x) {
            if (qAlpha(row[x]) != 0)
                return false;
        }
    }
    return true;
}

QImage PageRenderer::snapshot(int scale) const
{
    QImage picture = m_view->grab().toImage();
    if (picture.isNull())
        return picture;
    picture.setDevicePixelRatio(1.0);
    const QSize expected(canvasWidth * scale, canvasHeight * scale);
    if (picture.size() != expected)
        picture = picture.scaled(expected, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return picture.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}
