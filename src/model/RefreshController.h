// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "RefreshInputs.h"
#include "kit/Page.h"
#include "kit/ScreenLook.h"
#include "render/RenderJob.h"

#include <QCoroTask>
#include <QDateTime>
#include <QJsonObject>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

class RefreshScheduler;
class RenderClient;
struct Configuration;
class ScreenPictures;
class WallClock;

// The refresh pipeline: a run collects the data document, draws every page through the renderer
// process, writes "data.json" and the manifest, and reloads what the card shows; a redraw draws
// again from the last good data document. It keeps the run's state (what is being
// drawn, what was drawn last, the failure) and the lines the windows show for it. When runs
// start and which draw may write is RefreshScheduler's, owned here.
//
// A run goes one way: it asks its RefreshInputs for the settings once, as it starts, and for the
// look once, as its draw begins; it tells what it did through its own state, the ScreenPictures
// it reloads, and dataRefreshed(). Lives on the GUI thread.
class RefreshController : public QObject
{
    Q_OBJECT
public:
    // The most pages a refresh draws; later pages are kept but get no pictures.
    static constexpr qsizetype mostDrawnPages = 30;

    // Draws with the configuration's views and renderer into its screens directory, and asks its
    // GitHub API. Without a clock, the system's; the schedule keeps the same one.
    RefreshController(std::unique_ptr<RefreshInputs> inputs, const Configuration &configuration,
                      ScreenPictures &pictures, QObject *parent = nullptr, std::shared_ptr<const WallClock> clock = {});
    ~RefreshController() override;

    // Asks for a refresh. One runs at a time; any number of requests during a run give exactly
    // one follow-up.
    void refresh();
    // Arms the schedule (every 30 minutes, after every wake, the extra moments) and asks for one
    // refresh now.
    void start();
    // Draws every page again from the "data.json" of the last good refresh without collecting
    // (after a look change); does nothing during a refresh or without that file. Failures are
    // dropped silently. A redraw that begins while another runs supersedes it.
    void redraw();
    // A look was chosen: when it has no pictures yet it is drawn, at once or when the running
    // refresh ends.
    void lookChosen(bool hasPictures);

    // Its signals tell when a refresh is asked for, runs or follows, and when pictures are drawn.
    RefreshScheduler &schedule() { return *m_schedule; }
    bool isRefreshing() const;
    bool refreshAgain() const;
    // Whether pictures are being drawn, by a refresh or a redraw.
    bool isDrawing() const;
    const std::optional<QString> &lastRunError() const { return m_lastRunError; }
    // The pages as they were when their images were last drawn, and as being drawn now.
    const QList<Page> &renderedPages() const { return m_renderedPages; }
    const QList<Page> &renderingPages() const { return m_renderingPages; }
    // At start-up: the pictures left by the last run count as drawn from these pages.
    void setRenderedPages(const QList<Page> &pages) { m_renderedPages = pages; }

    // "Refreshing…", "Updated 09:15 · Sun 1 Mar" or "Not updated yet".
    QString statusLine() const;
    // The failure of the last refresh, if it failed.
    std::optional<QString> errorLine() const;
    // What one source of a refresh that otherwise worked ran into ("GitHub not updated: " and
    // the reason): its widgets say so in their slots, the others were drawn afresh.
    std::optional<QString> sourceProblem() const;
    // "Last refresh failed: " and the error line while the card shows pictures older than a
    // failed refresh, or the source problem of a refresh that drew all but one source (the card
    // marks them; its tooltip reads this); empty when the last refresh worked, when no picture
    // is shown (the card then shows the error line itself) and while the first welcome is open.
    QString failureNote() const { return m_failureNote; }
    // What a slot whose picture is out of date says: "Updating…" while a refresh may still
    // draw it, "Not updated: " and the error line once the last refresh failed.
    QString staleSlotText() const;
    // Whether the welcome flow of the first start is open: the card then welcomes rather than
    // showing what the default pages' first refresh ran into. Set by the application.
    bool welcoming() const { return m_welcoming; }
    void setWelcoming(bool welcoming);

Q_SIGNALS:
    // A refresh drew every page from `data`, which is now the last good data document.
    void dataRefreshed(const QJsonObject &data);
    void lastRunErrorChanged();
    void renderedPagesChanged();
    void renderingPagesChanged();
    void failureNoteChanged();
    void welcomingChanged();

private:
    template<typename T>
    void assign(T &member, const T &value, void (RefreshController::*changed)())
    {
        if (member == value)
            return;
        member = value;
        Q_EMIT(this->*changed)();
    }

    RefreshScheduler *makeScheduler();
    void refreshStarting();
    QCoro::Task<std::optional<QString>> runRefresh();
    QCoro::Task<bool> draw(QString dataJson, qsizetype pageCount, ScreenLook look);
    static RenderJob pictureJob(const QString &dataJson, int page, ScreenLook look, bool dark,
                                const QJsonObject &themes);
    QCoro::Task<> redrawFrom(QString dataJson, qsizetype pageCount, ScreenLook look);
    bool writeManifest(bool ok, const std::optional<QDateTime> &updatedAt, const std::optional<QString> &login,
                       const std::optional<QString> &error);
    void markUnfinished();
    void finished(const std::optional<QString> &error, bool followUp);
    void drawChosenLook();
    void updateFailureNote();
    void takePlanResets(const QJsonObject &data);
    RenderClient &renderer();

    std::unique_ptr<RefreshInputs> m_inputs;
    std::shared_ptr<const WallClock> m_clock;
    // The settings of the running refresh, taken as it started.
    RefreshInputs::Settings m_run;
    QString m_viewsDir;
    QString m_screensDir;
    QString m_rendererProgram;
    QString m_gitHubApi;
    ScreenPictures &m_pictures;
    RefreshScheduler *m_schedule = nullptr;
    RenderClient *m_renderer = nullptr;
    std::optional<QString> m_lastRunError;
    QList<Page> m_renderedPages;
    QList<Page> m_renderingPages;
    QString m_failureNote;
    bool m_welcoming = false;
};
