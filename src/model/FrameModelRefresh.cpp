// The refresh pipeline: the schedule that asks for refreshes, the coalescing of requests, the
// run itself (token, calendar, data document, "data.json", the pictures, the manifest), the
// redraw from the last data document, and the status and error lines shown for it.

#include "FrameModel.h"

#include "ScreenFiles.h"
#include "data/DataCollector.h"
#include "data/Shell.h"
#include "kit/UserError.h"
#include "platform/WakeMonitor.h"
#include "render/PageRenderer.h"
#include "render/ThemeFile.h"
#include "services/GitHubAuth.h"
#include "services/GitHubAuthClock.h"
#include "services/UpdateChecker.h"

#include <QCoreApplication>
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLocale>
#include <QPointer>
#include <QSet>
#include <QTimer>
#include <chrono>
#include <exception>

using namespace std::chrono_literals;

namespace {

constexpr auto refreshInterval = 1800s;
constexpr auto ghTokenTimeout = 10s;
const QString ghTokenCommand = QStringLiteral("gh auth token");
const QString unfinishedRefresh = QStringLiteral("The last refresh did not finish");
const QString failedRefresh = QStringLiteral("The last refresh failed");
const QString statusPattern = QStringLiteral("HH:mm \u00B7 ddd d MMM");

constexpr int panelScale = 1;
constexpr int previewScale = 3;

QString pageViewName(qsizetype index)
{
    return QStringLiteral("page") + QString::number(index);
}

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

// The text a failed step shows: the message the program's own errors carry, else the error's
// own description.
QString messageOf(const std::exception_ptr &error)
{
    try {
        std::rethrow_exception(error);
    } catch (const UserError &problem) {
        return problem.message();
    } catch (const std::exception &other) {
        return QString::fromLocal8Bit(other.what());
    } catch (...) {
        return failedRefresh;
    }
}

} // namespace

FrameModel::FrameModel(std::shared_ptr<CredentialStore> credentials, QObject *parent)
    : FrameModel(parent)
{
    m_credentials = std::move(credentials);
}

GitHubAuth &FrameModel::github()
{
    if (!m_github) {
        m_github = m_credentials ? new GitHubAuth(m_credentials, std::make_shared<GitHubAuthClock>(), this)
                                 : new GitHubAuth(this);
    }
    return *m_github;
}

UpdateChecker &FrameModel::updates()
{
    if (!m_updates)
        m_updates = new UpdateChecker(this);
    return *m_updates;
}

PageRenderer &FrameModel::renderer()
{
    // The web view needs the widgets application; without it creating the view would abort the
    // whole program, so the draw fails instead. Asked by class name, because the model stays
    // below the widgets.
    const QCoreApplication *application = QCoreApplication::instance();
    if (!application || !application->inherits("QApplication"))
        throw UserError(QStringLiteral("Pages can only be drawn while the desktop application runs."));
    if (!m_renderer)
        m_renderer = new PageRenderer(m_viewsDir, this);
    return *m_renderer;
}

void FrameModel::startSchedule()
{
    updates().checkInBackground();

    QTimer *previous = m_timer;
    auto *timer = new QTimer(this);
    timer->setInterval(refreshInterval);
    connect(timer, &QTimer::timeout, this, &FrameModel::refresh);
    timer->start();
    setTimer(timer);
    delete previous;

    if (!m_wakeMonitor) {
        m_wakeMonitor = new WakeMonitor(this);
        connect(m_wakeMonitor, &WakeMonitor::woke, this, &FrameModel::refresh);
    }

    refresh();
    restartCycle();
}

void FrameModel::refresh()
{
    Q_EMIT refreshRequested();
    if (m_isRefreshing) {
        setRefreshAgain(true);
        return;
    }
    setRenderingPages(m_pages);
    setIsRefreshing(true);
    setLastRunError(std::nullopt);
    runRefresh();
}

QCoro::Task<> FrameModel::runRefresh()
{
    // The model may go away at any suspension; after each one nothing is touched without it.
    const QPointer<FrameModel> self(this);
    const QDateTime now = QDateTime::currentDateTimeUtc();
    std::optional<QString> error;
    try {
        const std::optional<QString> token = co_await refreshToken();
        if (!self)
            co_return;
        const QJsonArray pages = pagesJson(m_pages);
        const std::optional<QJsonObject> countdown =
            m_countdown ? std::optional<QJsonObject>(m_countdown->toJson()) : std::nullopt;
        const QSet<QString> widgets = usedWidgets(m_pages);
        const QJsonObject calendar = co_await calendarData();
        if (!self)
            co_return;

        const DataCollector collector(pages, widgets, m_providers, m_showLogos, countdown, calendar, token);
        const DataCollector::Result collected = co_await collector.collect(now);
        if (!self)
            co_return;

        const QByteArray data = QJsonDocument(collected.data).toJson(QJsonDocument::Compact);
        const ScreenFiles files(m_screensDir);
        files.ensureDirectory();
        files.writeData(data);
        markUnfinished();
        co_await draw(QString::fromUtf8(data));
        if (!self)
            co_return;
        writeManifest(true, now, collected.login, std::nullopt);
    } catch (...) {
        if (!self)
            co_return;
        error = messageOf(std::current_exception());
    }

    if (error) {
        // The pictures of the last good run stay; the manifest keeps its time and login.
        const std::optional<QDateTime> updated = m_manifest ? m_manifest->updatedDate() : std::nullopt;
        writeManifest(false, updated, m_manifest ? m_manifest->login : std::nullopt, error);
    }
    finished(error);
}

QCoro::Task<std::optional<QString>> FrameModel::refreshToken()
{
    const std::optional<QString> signedIn = co_await github().accessToken();
    if (signedIn && !signedIn->isEmpty())
        co_return signedIn;
    // The GitHub command-line tool's own sign-in serves as well.
    const Shell::Result result = co_await Shell::run(ghTokenCommand, ghTokenTimeout);
    const QString output = result.output.trimmed();
    if (result.succeeded() && !output.isEmpty())
        co_return output;
    co_return std::nullopt;
}

QCoro::Task<> FrameModel::draw(QString dataJson)
{
    const QPointer<FrameModel> self(this);
    const QJsonObject themes = ThemeFile::read(m_viewsDir);
    // Taken once: pages added or a look chosen meanwhile are drawn by the refresh that follows.
    const qsizetype count = m_pages.size();
    const ScreenLook look = m_look;
    const ScreenFiles files(m_screensDir);

    for (qsizetype index = 0; index < count; ++index) {
        const QString view = pageViewName(index);
        const int page = int(index);
        if (look == ScreenLook::Panel) {
            const QImage picture =
                co_await renderer().render(dataJson, page, QStringLiteral("panel"), std::nullopt, panelScale);
            if (!self)
                co_return;
            files.writePicture(look.fileName(view, false), picture);
            continue;
        }
        for (const bool dark : {false, true}) {
            const std::optional<QString> theme = ThemeFile::themeJson(themes, look.rawValue(), dark);
            const QImage picture =
                co_await renderer().render(dataJson, page, QStringLiteral("preview"), theme, previewScale);
            if (!self)
                co_return;
            files.writePicture(look.fileName(view, dark), picture);
        }
    }
}

void FrameModel::redraw()
{
    if (m_isRefreshing)
        return;
    const std::optional<QString> data = ScreenFiles(m_screensDir).readData();
    if (data)
        redrawFrom(*data);
}

QCoro::Task<> FrameModel::redrawFrom(QString dataJson)
{
    const QPointer<FrameModel> self(this);
    try {
        co_await draw(dataJson);
    } catch (...) {
        // A redraw only improves what is shown; its failure leaves no error line.
    }
    if (self)
        loadImages();
}

bool FrameModel::writeManifest(bool ok, const std::optional<QDateTime> &updatedAt, const std::optional<QString> &login,
                               const std::optional<QString> &error)
{
    ScreenManifest manifest;
    manifest.ok = ok;
    if (updatedAt)
        manifest.updatedAt = updatedAt->toUTC().toString(Qt::ISODateWithMs);
    manifest.login = login;
    QStringList titles;
    for (qsizetype index = 0; index < m_pages.size(); ++index) {
        manifest.views.append(pageViewName(index));
        titles.append(m_catalogue ? m_catalogue->title(m_pages.at(index)) : QStringLiteral("Page"));
    }
    manifest.titles = titles;
    manifest.error = error;
    QDir().mkpath(m_screensDir);
    return ScreenFiles(m_screensDir).writeManifest(manifest);
}

void FrameModel::markUnfinished()
{
    // From the first replaced picture until the run's own manifest is written, the pictures may
    // mix two runs. The manifest on disk stops claiming success first, so a draw that fails
    // half-way, or a process ended meanwhile, never leaves a manifest that says all went well.
    const std::optional<QDateTime> updated = m_manifest ? m_manifest->updatedDate() : std::nullopt;
    if (!writeManifest(false, updated, m_manifest ? m_manifest->login : std::nullopt, unfinishedRefresh))
        throw UserError(QStringLiteral("Could not write ") + ScreenFiles::manifestFileName);
}

void FrameModel::finished(const std::optional<QString> &error)
{
    setIsRefreshing(false);
    if (!error)
        setRenderedPages(m_renderingPages);
    reload();
    if (m_refreshAgain) {
        setRefreshAgain(false);
        refresh();
    } else {
        setLastRunError(error);
    }
}

QString FrameModel::statusLine() const
{
    if (m_isRefreshing)
        return QStringLiteral("Refreshing\u2026");
    const std::optional<QDateTime> updated = m_manifest ? m_manifest->updatedDate() : std::nullopt;
    if (updated)
        return QStringLiteral("Updated ") +
               QLocale(QStringLiteral("en_GB")).toString(updated->toLocalTime(), statusPattern);
    return QStringLiteral("Not updated yet");
}

std::optional<QString> FrameModel::errorLine() const
{
    if (m_lastRunError)
        return m_lastRunError;
    if (m_manifest && !m_manifest->ok)
        return m_manifest->error.value_or(failedRefresh);
    return std::nullopt;
}
