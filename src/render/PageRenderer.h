// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "OneAtATime.h"

#include <QCoro/QCoroTask>
#include <QImage>
#include <QObject>
#include <QString>
#include <QWebEnginePage>
#include <chrono>
#include <memory>
#include <optional>

class QWebEngineView;
class RenderPage;

// A page as the renderer returns it: the picture, and the page's text in reading order as the
// page view words it (empty when the page view offers none).
struct RenderedPage
{
    QImage picture;
    QString text;
};
template<typename T>
class QPromise;

// Turns one page of the data document into a picture through the shipped page view. It owns a
// web view in a window that is never shown on screen, loads "page.html" afresh for every
// picture with the document, page number, mode, theme and scale injected before the page's own
// scripts run, waits until the page view sets data-ready on its body and grabs the result.
// Renders run strictly one at a time; a render started while another runs waits for it.
class PageRenderer : public QObject
{
    Q_OBJECT
public:
    static constexpr int canvasWidth = 1360;
    static constexpr int canvasHeight = 480;
    static constexpr int readinessPolls = 200;

    enum class Platform
    {
        OffscreenWhenNoDisplay,
        AlwaysOffscreen
    };

    explicit PageRenderer(const QString &viewsDir, QObject *parent = nullptr);
    ~PageRenderer() override;

    QString viewsDir() const { return m_viewsDir; }

    // The picture of page `page`: 1360·scale pixels wide for "preview", and the 1360 × 480
    // one-bit form for "panel". Throws Problem when the page view cannot be loaded or the
    // picture cannot be taken; a page view that never becomes ready is pictured as it stands.
    QCoro::Task<QImage> render(QString dataJson, int page, QString mode, std::optional<QString> themeJson, int scale);
    // The same picture together with the page's text.
    QCoro::Task<RenderedPage> renderWithText(QString dataJson, int page, QString mode, std::optional<QString> themeJson,
                                             int scale);

    // Draws later pictures of the same scale in the page view already loaded, handing it the new
    // input through the page view's redraw function instead of loading "page.html" again. The
    // pictures are the same; a page view without that function is loaded afresh each time.
    void setKeepLoaded(bool keep) { m_keepLoaded = keep; }
    // How many times "page.html" was loaded so far.
    int pageViewLoads() const { return m_pageViewLoads; }

    // The one script the page view finds installed before its own scripts run.
    static QString injectedScript(const QString &dataJson, int page, const QString &mode,
                                  const std::optional<QString> &themeJson, int scale);
    // The object the script assigns to window.TESSARINE, as JavaScript text.
    static QString inputObject(const QString &dataJson, int page, const QString &mode,
                               const std::optional<QString> &themeJson, int scale);

    // Call before the QApplication exists: the web engine needs shared OpenGL contexts, cannot
    // use its sandbox when the process runs as root, and needs the offscreen platform when
    // there is no display.
    static void prepareEnvironment(Platform platform = Platform::OffscreenWhenNoDisplay);
    // Call before the QApplication exists in a process that only draws pages: the web engine's
    // page renderer then runs in this process rather than in processes of its own, and
    // Chromium's own logging is off.
    static void keepPageRendererInProcess();

Q_SIGNALS:
    // Every console message of the page view (errors included), for tests and diagnostics.
    void consoleMessage(QWebEnginePage::JavaScriptConsoleMessageLevel level, const QString &message, int line,
                        const QString &source);

private:
    void createView();
    void installScript(const QString &source);
    void sizeForScale(int scale);
    QCoro::Task<QString> loadPageView();
    QCoro::Task<QString> loadAfresh(QString script, int scale);
    QCoro::Task<bool> redrawLoaded(QString input);
    QCoro::Task<bool> evaluatesTrue(QString expression);
    QCoro::Task<QString> pageText();
    QCoro::Task<> waitUntilReady(std::chrono::milliseconds interval);
    QCoro::Task<QImage> settledSnapshot(int scale, bool freshlyLoaded);
    QImage snapshot(int scale) const;
    static bool isBlank(const QImage &picture);
    static size_t fingerprint(const QImage &picture);
    void finishLoad(const QString &error);

    QString m_viewsDir;
    std::unique_ptr<QWebEngineView> m_view;
    RenderPage *m_page = nullptr;
    std::shared_ptr<QPromise<void>> m_loaded;
    QString m_loadError;
    OneAtATime m_turns;
    // Of the last picture taken, to tell a frame still left over from the previous page.
    size_t m_lastFingerprint = 0;
    bool m_keepLoaded = false;
    // The scale the loaded page view was drawn at; 0 when none is loaded.
    int m_loadedScale = 0;
    int m_pageViewLoads = 0;
};
