// SPDX-License-Identifier: GPL-3.0-or-later
#include "RefreshController.h"

#include "PageDocument.h"
#include "RefreshMoments.h"
#include "RefreshScheduler.h"
#include "ScreenFiles.h"
#include "ScreenPictures.h"
#include "WallClock.h"
#include "data/DataCollector.h"
#include "kit/Problem.h"
#include "platform/Configuration.h"
#include "render/RenderClient.h"
#include "render/ThemeFile.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLocale>
#include <QPointer>
#include <QSet>
#include <algorithm>
#include <chrono>
#include <exception>

using namespace std::chrono_literals;

namespace {

const QString unfinishedRefresh = QStringLiteral("The last refresh did not finish");
const QString failedRefresh = QStringLiteral("The last refresh failed");
const QString supersededDraw = QStringLiteral("Another drawing of the pages took over");
const QString statusPattern = QStringLiteral("HH:mm \u00B7 ddd d MMM");
const QString calendarWidget = QStringLiteral("calendar.next");
const QString githubNotUpdated = QStringLiteral("GitHub not updated: ");

constexpr int panelScale = 1;
constexpr int previewScale = 3;

QJsonArray pagesJson(const QList<Page> &pages)
{
    QJsonArray json;
    for (const Page &page : pages)
        json.append(page.toJson());
    return json;
}

QSet<QString> usedWidgets(const QList<Page> &pages)
{
    QSet<QString> used;
    for (const Page &page : pages) {
        for (const Page::Slot &slot : page.slotWidgets) {
            if (slot && !slot->isEmpty())
                used.insert(*slot);
        }
    }
    return used;
}

// Pages beyond the most a refresh draws are kept but get no pictures.
qsizetype drawnCount(qsizetype pageCount)
{
    return std::min(pageCount, RefreshController::mostDrawnPages);
}

QStringList drawnPageNames(qsizetype pageCount)
{
    QStringList names;
    for (qsizetype index = 0; index < drawnCount(pageCount); ++index)
        names.append(PageDocument::pageName(index));
    return names;
}

// The text a failed step shows: the message the program's own errors carry, else the error's
// own description.
QString messageOf(const std::exception_ptr &error)
{
    try {
        std::rethrow_exception(error);
    } catch (const Problem &problem) {
        return problem.message();
    } catch (const std::exception &other) {
        return QString::fromLocal8Bit(other.what());
    } catch (...) {
        return failedRefresh;
    }
}

} // namespace

RefreshController::RefreshController(std::unique_ptr<RefreshInputs> inputs, const Configuration &configuration,
                                     ScreenPictures &pictures, QObject *parent, std::shared_ptr<const WallClock> clock)
    : QObject(parent)
    , m_inputs(std::move(inputs))
    , m_clock(clock ? std::move(clock) : std::make_shared<WallClock>())
    , m_viewsDir(configuration.viewsDir)
    , m_screensDir(configuration.screensDir)
    , m_rendererProgram(configuration.renderer)
    , m_gitHubApi(configuration.gitHubApi)
    , m_pictures(pictures)
{
    m_schedule = makeScheduler();
}

RefreshController::~RefreshController() = default;

RenderClient &RefreshController::renderer()
{
    // Pages are drawn in a renderer process of their own, so the model's process never holds a
    // web view.
    if (!m_renderer)
        m_renderer = RenderClient::createDefault(m_rendererProgram, m_viewsDir, this);
    return *m_renderer;
}

RefreshScheduler *RefreshController::makeScheduler()
{
    RefreshScheduler::Jobs jobs;
    jobs.starting = [this] { refreshStarting(); };
    jobs.run = [this] { return runRefresh(); };
    jobs.finished = [this](const std::optional<QString> &error, bool followUp) { finished(error, followUp); };
    auto *schedule = new RefreshScheduler(std::move(jobs), this, m_clock);
    connect(this, &RefreshController::lastRunErrorChanged, this, &RefreshController::updateFailureNote);
    connect(&m_pictures, &ScreenPictures::manifestChanged, this, &RefreshController::updateFailureNote);
    connect(&m_pictures, &ScreenPictures::imagesChanged, this, &RefreshController::updateFailureNote);
    connect(this, &RefreshController::welcomingChanged, this, &RefreshController::updateFailureNote);
    return schedule;
}

bool RefreshController::isRefreshing() const
{
    return m_schedule->isRefreshing();
}

bool RefreshController::refreshAgain() const
{
    return m_schedule->refreshAgain();
}

bool RefreshController::isDrawing() const
{
    return m_schedule->isDrawing();
}

void RefreshController::start()
{
    if (const std::optional<QString> data = ScreenFiles(m_screensDir).readData())
        takePlanResets(QJsonDocument::fromJson(data->toUtf8()).object());
    m_schedule->start();
}

void RefreshController::refresh()
{
    m_schedule->requestRefresh();
}

void RefreshController::refreshStarting()
{
    // The one reading of the settings for the whole run: what it collects, draws and names in
    // its manifest all come from this.
    m_run = m_inputs->settings();
    assign(m_renderingPages, m_run.pages, &RefreshController::renderingPagesChanged);
    assign(m_lastRunError, std::optional<QString>(), &RefreshController::lastRunErrorChanged);
}

QCoro::Task<std::optional<QString>> RefreshController::runRefresh()
{
    // The model may go away at any suspension; after each one nothing is touched without it.
    const QPointer<RefreshController> self(this);
    const QDateTime now = m_clock->now();
    const RefreshInputs::Settings settings = m_run;
    std::optional<QString> error;
    try {
        const std::optional<QString> token = co_await m_inputs->token();
        if (!self)
            co_return std::nullopt;
        const QJsonArray pages = pagesJson(settings.pages);
        const std::optional<QJsonObject> countdown =
            settings.countdown ? std::optional<QJsonObject>(settings.countdown->toJson()) : std::nullopt;
        const QSet<QString> widgets = usedWidgets(settings.pages);
        // The calendar is read only for a page that shows it: reading it may send the
        // subscriptions' private addresses over the network and wait on the calendar service.
        std::optional<QJsonObject> calendar;
        if (widgets.contains(calendarWidget)) {
            calendar = co_await m_inputs->calendar();
            if (!self)
                co_return std::nullopt;
        }

        DataCollector collector(pages, widgets, settings.providers, settings.showLogos, countdown, calendar, token);
        collector.setGitHubApi(m_gitHubApi);
        const DataCollector::Result collected = co_await collector.collect(now);
        if (!self)
            co_return std::nullopt;

        const QByteArray data = QJsonDocument(collected.data).toJson(QJsonDocument::Compact);
        const ScreenFiles files(m_screensDir);
        files.ensureDirectory();
        markUnfinished();
        // A look chosen from now on is drawn after this run (drawChosenLook).
        const ScreenLook drawnLook = m_inputs->look();
        const bool drawn = co_await draw(QString::fromUtf8(data), settings.pages.size(), drawnLook);
        if (!self)
            co_return std::nullopt;
        if (!drawn)
            throw Problem(supersededDraw);
        // Only the data of a refresh whose pictures were all drawn replaces the last good one:
        // a redraw always draws from the data the card's pictures were made from.
        files.writeData(data);
        takePlanResets(collected.data);
        // Pictures of pages that are gone would otherwise stay for good, and those of the other
        // looks show an older page list or older data: they go, and a look chosen later is
        // drawn afresh from this data before it is shown.
        // A source that failed is named in the manifest of a run that still drew every page.
        const std::optional<QString> sourceProblem =
            collected.githubProblem ? std::optional<QString>(githubNotUpdated + *collected.githubProblem)
                                    : std::nullopt;
        if (writeManifest(true, now, collected.login, sourceProblem)) {
            files.removePicturesExcept(drawnPageNames(settings.pages.size()), drawnLook);
            m_pictures.setRefreshedLook(drawnLook);
        }
        Q_EMIT dataRefreshed(collected.data);
    } catch (...) {
        if (!self)
            co_return std::nullopt;
        error = messageOf(std::current_exception());
    }

    if (error) {
        // The pictures of the last good run stay; the manifest keeps its time and login.
        const std::optional<ScreenManifest> &last = m_pictures.manifest();
        const std::optional<QDateTime> updated = last ? last->updatedDate() : std::nullopt;
        writeManifest(false, updated, last ? last->login : std::nullopt, error);
    }
    co_return error;
}

QCoro::Task<bool> RefreshController::draw(QString dataJson, qsizetype pageCount, ScreenLook look)
{
    const QPointer<RefreshController> self(this);
    // Begun before the first render, so a draw still running stops before its next picture.
    const RefreshScheduler::DrawTurn turn(*m_schedule);
    const QJsonObject themes = ThemeFile::read(m_viewsDir);
    const ScreenFiles files(m_screensDir);
    struct Picture
    {
        QString fileName;
        RenderJob job;
        // The page whose text goes beside it: one text a page, taken with its first picture.
        std::optional<QString> textPage;
    };
    QList<Picture> pictures;
    for (qsizetype index = 0; index < drawnCount(pageCount); ++index) {
        const QString pageName = PageDocument::pageName(index);
        for (const bool dark : look == ScreenLook::Panel ? QList<bool>{false} : QList<bool>{false, true})
            pictures.append({look.fileName(pageName, dark), pictureJob(dataJson, int(index), look, dark, themes),
                             dark ? std::nullopt : std::optional<QString>(pageName)});
    }

    for (qsizetype index = 0; index < pictures.size(); ++index) {
        // The next picture goes along, so the renderer process draws it while encoding this one.
        const std::optional<RenderJob> next =
            index + 1 < pictures.size() ? std::optional<RenderJob>(pictures.at(index + 1).job) : std::nullopt;
        const RenderClient::Answer answer = co_await renderer().renderWithText(pictures.at(index).job, next);
        const QByteArray &picture = answer.png;
        // Between the render and the write nothing is awaited: a draw that lost its turn
        // meanwhile writes nothing more.
        if (!self || !turn.isCurrent())
            co_return false;
        const QString &name = pictures.at(index).fileName;
        files.writePng(name, picture);
        if (const std::optional<QString> &page = pictures.at(index).textPage; page && !answer.text.isEmpty())
            files.writeText(*page, answer.text);
        m_pictures.decoded().add(QDir(m_screensDir).filePath(name), picture, m_pictures.widthLimitFor(look));
    }
    // The pictures are loaded right after the draw; waiting here for their decoding, rather than
    // there, keeps the interface thread free meanwhile.
    co_await m_pictures.decoded().whenDecoded();
    if (!self)
        co_return false;
    co_return true;
}

RenderJob RefreshController::pictureJob(const QString &dataJson, int page, ScreenLook look, bool dark,
                                        const QJsonObject &themes)
{
    // The panel is drawn for a one-bit screen without a theme; the other looks in their light
    // or dark theme at three pixels a point.
    switch (look.drawing()) {
    case ScreenLook::Drawing::OneBitPanel:
        return RenderJob{dataJson, page, QStringLiteral("panel"), std::nullopt, panelScale};
    case ScreenLook::Drawing::Themed:
        break;
    }
    return RenderJob{dataJson, page, QStringLiteral("preview"), ThemeFile::themeJson(themes, look.name(), dark),
                     previewScale};
}

void RefreshController::redraw()
{
    if (isRefreshing())
        return;
    const std::optional<QString> data = ScreenFiles(m_screensDir).readData();
    if (data)
        redrawFrom(*data, m_inputs->settings().pages.size(), m_inputs->look());
}

QCoro::Task<> RefreshController::redrawFrom(QString dataJson, qsizetype pageCount, ScreenLook look)
{
    const QPointer<RefreshController> self(this);
    bool drawn = false;
    try {
        drawn = co_await draw(dataJson, pageCount, look);
    } catch (...) {
        // A redraw only improves what is shown; its failure leaves no error line.
    }
    // A redraw that was taken over leaves the pictures to the draw that took over.
    if (self && drawn)
        m_pictures.load();
}

bool RefreshController::writeManifest(bool ok, const std::optional<QDateTime> &updatedAt,
                                      const std::optional<QString> &login, const std::optional<QString> &error)
{
    ScreenManifest manifest;
    manifest.ok = ok;
    if (updatedAt)
        manifest.updatedAt = updatedAt->toUTC().toString(Qt::ISODateWithMs);
    manifest.login = login;
    // The pages the run started with, not those of now: a page added meanwhile has no pictures.
    manifest.pageNames = drawnPageNames(m_run.pages.size());
    QStringList titles;
    for (qsizetype index = 0; index < manifest.pageNames.size(); ++index)
        titles.append(m_run.catalogue ? m_run.catalogue->title(m_run.pages.at(index)) : QStringLiteral("Page"));
    manifest.titles = titles;
    manifest.error = error;
    QDir().mkpath(m_screensDir);
    return ScreenFiles(m_screensDir).writeManifest(manifest);
}

void RefreshController::markUnfinished()
{
    // From the first replaced picture until the run's own manifest is written, the pictures may
    // mix two runs. The manifest on disk stops claiming success first, so a draw that fails
    // half-way, or a process ended meanwhile, never leaves a manifest that says all went well.
    const std::optional<ScreenManifest> &last = m_pictures.manifest();
    const std::optional<QDateTime> updated = last ? last->updatedDate() : std::nullopt;
    if (!writeManifest(false, updated, last ? last->login : std::nullopt, unfinishedRefresh))
        throw Problem(QStringLiteral("Could not write ") + ScreenFiles::manifestFileName);
}

void RefreshController::finished(const std::optional<QString> &error, bool followUp)
{
    if (!error)
        assign(m_renderedPages, m_renderingPages, &RefreshController::renderedPagesChanged);
    m_pictures.readManifest();
    m_pictures.load();
    // A follow-up draws the current look itself and clears the error line as it starts.
    if (followUp)
        return;
    assign(m_lastRunError, error, &RefreshController::lastRunErrorChanged);
    drawChosenLook();
}

void RefreshController::drawChosenLook()
{
    // A look chosen while the refresh ran was left undrawn, as the refresh drew the look it
    // started with; its older pictures, if it had any, went when the refresh succeeded.
    lookChosen(m_pictures.hasChosenLook());
}

void RefreshController::lookChosen(bool hasPictures)
{
    if (!hasPictures)
        redraw();
}

void RefreshController::takePlanResets(const QJsonObject &data)
{
    m_schedule->setPlanResets(RefreshMoments::planResets(data));
}

void RefreshController::updateFailureNote()
{
    const std::optional<QString> error = errorLine();
    const std::optional<QString> partial = sourceProblem();
    const bool shown = (error || partial) && !m_pictures.images().isEmpty() && !m_welcoming;
    QString note;
    if (shown)
        note = error ? QStringLiteral("Last refresh failed: ") + *error : *partial;
    assign(m_failureNote, note, &RefreshController::failureNoteChanged);
}

QString RefreshController::staleSlotText() const
{
    const std::optional<QString> error = errorLine();
    if (isRefreshing() || !error)
        return QStringLiteral("Updating\u2026");
    return QStringLiteral("Not updated: ") + *error;
}

void RefreshController::setWelcoming(bool welcoming)
{
    assign(m_welcoming, welcoming, &RefreshController::welcomingChanged);
}

QString RefreshController::statusLine() const
{
    if (isRefreshing())
        return QStringLiteral("Refreshing\u2026");
    const std::optional<ScreenManifest> &manifest = m_pictures.manifest();
    const std::optional<QDateTime> updated = manifest ? manifest->updatedDate() : std::nullopt;
    if (updated)
        return QStringLiteral("Updated ") +
               QLocale(QStringLiteral("en_GB")).toString(updated->toLocalTime(), statusPattern);
    return QStringLiteral("Not updated yet");
}

std::optional<QString> RefreshController::errorLine() const
{
    if (m_lastRunError)
        return m_lastRunError;
    const std::optional<ScreenManifest> &manifest = m_pictures.manifest();
    if (manifest && !manifest->ok)
        return manifest->error.value_or(failedRefresh);
    return std::nullopt;
}

std::optional<QString> RefreshController::sourceProblem() const
{
    if (m_lastRunError)
        return std::nullopt;
    const std::optional<ScreenManifest> &manifest = m_pictures.manifest();
    if (manifest && manifest->ok && manifest->error && !manifest->error->isEmpty())
        return manifest->error;
    return std::nullopt;
}
