// SPDX-License-Identifier: GPL-3.0-or-later
// The model's front: start-up, the settings file, the last run's manifest and images, the provider choice, and the
// operations handed on to the parts.

#include "FrameModel.h"

#include "CalendarSource.h"
#include "FrameRefreshInputs.h"
#include "PageTexts.h"
#include "RefreshScheduler.h"

#include "kit/FrameSettings.h"
#include "kit/Provider.h"
#include "platform/Defaults.h"
#include "platform/JsonFile.h"
#include "platform/SmallFileReader.h"
#include "services/GitHubAuth.h"
#include "services/GitHubAuthClock.h"
#include "services/UpdateChecker.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QJsonDocument>
#include <QSet>
#include <algorithm>

namespace {

const QString onboardedKey = QStringLiteral("onboarded");

} // namespace

FrameModel::FrameModel(Configuration configuration, std::shared_ptr<CredentialStore> credentials, QObject *parent)
    : QObject(parent)
    , m_credentials(std::move(credentials))
    , m_configuration(std::move(configuration))
{
    // The order matters: the settings fall back to the catalogue's default pages, and the
    // manifest read last may correct the stored page.
    m_document = new PageDocument(this);
    m_calendar = new CalendarSource(m_credentials, this);
    m_display = new DisplayOptions(this);
    connectParts();
    m_pictures = new ScreenPictures(screensDir(), look(), this);
    // Made before the pictures are connected, so it has marked a failure before the windows hear
    // of new pictures.
    m_refresh = makeRefresh();
    connectPictures();
    readCatalogue();
    loadSettings();
    // The images left by the last run count as drawn from the pages just loaded, so no slot
    // shows as out of date at start.
    m_refresh->setRenderedPages(pages());
    reload();
}

void FrameModel::connectParts()
{
    connect(m_display, &DisplayOptions::pageNameChanged, this, &FrameModel::viewChanged);
    connect(m_display, &DisplayOptions::lookChanged, this, &FrameModel::lookChanged);
    connect(m_display, &DisplayOptions::sizeChanged, this, &FrameModel::sizeChanged);
    connect(m_display, &DisplayOptions::keepOnTopChanged, this, &FrameModel::keepOnTopChanged);
    connect(m_display, &DisplayOptions::transitionChanged, this, &FrameModel::transitionChanged);
    connect(m_display, &DisplayOptions::movingForwardChanged, this, &FrameModel::movingForwardChanged);
    connect(m_display, &DisplayOptions::cycleSecondsChanged, this, &FrameModel::cycleSecondsChanged);
    connect(m_display, &DisplayOptions::flashChanged, this, &FrameModel::flashChanged);

    connect(m_document, &PageDocument::pagesChanged, this, &FrameModel::pagesChanged);
    connect(m_document, &PageDocument::historyChanged, this, &FrameModel::historyChanged);
    connect(m_document, &PageDocument::edited, this, &FrameModel::editSaved);

    connect(m_calendar, &CalendarSource::accessChanged, this, &FrameModel::calendarAccessChanged);
    // Whatever the answer, a refresh picks up the calendar or leaves it out.
    connect(m_calendar, &CalendarSource::accessChanged, this, &FrameModel::refresh);
    connect(m_calendar, &CalendarSource::calendarsChanged, this, &FrameModel::refresh);
}

void FrameModel::connectPictures()
{
    connect(m_pictures, &ScreenPictures::manifestChanged, this, &FrameModel::manifestChanged);
    connect(m_pictures, &ScreenPictures::imagesChanged, this, &FrameModel::imagesChanged);
    connect(m_pictures, &ScreenPictures::pageTextsChanged, this, &FrameModel::pageTextsChanged);
    // Whoever read the manifest (a refresh that ended, or reload()), the card moves on to a page
    // it names.
    connect(m_pictures, &ScreenPictures::manifestChanged, this, [this] {
        const QStringList drawn = manifest() ? manifest()->pageNames : QStringList();
        m_display->setDrawnPages(drawn);
        if (!drawn.isEmpty() && !drawn.contains(view()))
            setView(drawn.first());
    });
}

void FrameModel::editSaved()
{
    saveSettings();
    refresh();
}

FrameModel::~FrameModel() = default;

const QList<FrameModel::ProviderChoice> &FrameModel::providerChoices()
{
    static const QList<ProviderChoice> choices = [] {
        QList<ProviderChoice> fromTable;
        for (const Provider &provider : Provider::all())
            fromTable.append({provider.id, provider.title});
        return fromTable;
    }();
    return choices;
}

QString FrameModel::settingsFile() const
{
    return m_configuration.settingsFile();
}

bool FrameModel::needsWelcome() const
{
    if (Defaults::boolValue(QStringLiteral("onboarded")))
        return false;
    return !QFileInfo::exists(settingsFile());
}

void FrameModel::setProvider(const QString &id, bool on)
{
    QSet<QString> chosen(m_providers.cbegin(), m_providers.cend());
    if (on)
        chosen.insert(id);
    else
        chosen.remove(id);

    QStringList ordered;
    for (const ProviderChoice &choice : providerChoices()) {
        if (chosen.contains(choice.id))
            ordered.append(choice.id);
    }
    setProviders(ordered);
    saveSettings();
    refresh();
}

void FrameModel::setShowLogos(bool show)
{
    assign(m_showLogos, show, &FrameModel::showLogosChanged);
    saveSettings();
    refresh();
}

void FrameModel::setCountdown(const Countdown &countdown)
{
    assign(m_countdown, std::optional<Countdown>(countdown), &FrameModel::countdownChanged);
    saveSettings();
    refresh();
}

void FrameModel::setOpenEditor(Action action)
{
    m_openEditor = std::move(action);
    Q_EMIT openEditorChanged();
}

void FrameModel::setOpenConnections(Action action)
{
    m_openConnections = std::move(action);
    Q_EMIT openConnectionsChanged();
}

void FrameModel::setOpenWelcome(Action action)
{
    m_openWelcome = std::move(action);
    Q_EMIT openWelcomeChanged();
}

void FrameModel::readCatalogue()
{
    const std::optional<QJsonValue> json = JsonFile::read(QDir(viewsDir()).filePath(QStringLiteral("widgets.json")));
    if (json)
        m_catalogue = Catalogue::fromJson(*json);
}

void FrameModel::loadSettings()
{
    const std::optional<QJsonValue> json = JsonFile::read(settingsFile());
    const std::optional<FrameSettings> stored = json ? FrameSettings::fromJson(*json) : std::nullopt;
    if (stored) {
        // Taken exactly as stored; setProvider() puts the list in order the next time.
        setProviders(stored->providers);
        assign(m_showLogos, stored->logos, &FrameModel::showLogosChanged);
        m_document->load(stored->pages.value_or(QList<Page>()));
        assign(m_countdown, stored->countdown, &FrameModel::countdownChanged);
    }
    // No file, a bad file and an empty page list all mean the user has no pages of their own.
    if (pages().isEmpty() && m_catalogue)
        m_document->load(m_catalogue->defaultPages);
}

void FrameModel::saveSettings()
{
    // Failures are silent: the state in memory is unchanged and the next save writes it all.
    QDir().mkpath(QFileInfo(screensDir()).dir().path());
    // A hand-edited file with a typo was read as no file; it is kept beside the new one rather
    // than replaced by the defaults.
    JsonFile::setAsideUnreadable(settingsFile(),
                                 [](const QJsonValue &json) { return FrameSettings::fromJson(json).has_value(); });
    const FrameSettings settings{m_providers, m_showLogos, pages(), m_countdown};
    JsonFile::writePretty(settingsFile(), QJsonDocument(settings.toJson()));
}

void FrameModel::reload()
{
    m_pictures->readManifest();
    loadImages();
}

void FrameModel::loadImages()
{
    m_pictures->load();
}

void FrameModel::setLook(ScreenLook look)
{
    m_display->setLook(look);
    takeLook(look);
}

void FrameModel::showLookInstead(ScreenLook look)
{
    m_display->showLookInstead(look);
    takeLook(look);
}

ScreenLook FrameModel::chosenLook() const
{
    return m_display->chosenLook();
}

void FrameModel::takeLook(ScreenLook look)
{
    m_pictures->setChosenLook(look);
    loadImages();
    // Pictures of a look are drawn only while it is chosen; a look never drawn yet is drawn
    // from the last good data document, at once or, during a refresh, when it ends.
    m_refresh->lookChosen(hasPicturesOfLook());
}

void FrameModel::resetPages()
{
    m_document->editPages([&](QList<Page> &pages) { pages = m_catalogue ? m_catalogue->defaultPages : QList<Page>(); });
}

void FrameModel::start(const QList<Page> &pages, const QStringList &providers)
{
    const QSet<QString> chosen(providers.cbegin(), providers.cend());
    QStringList ordered;
    for (const ProviderChoice &choice : providerChoices()) {
        if (chosen.contains(choice.id))
            ordered.append(choice.id);
    }
    const bool providersChanged = ordered != m_providers;
    setProviders(ordered);

    const bool pagesChanged = m_document->editPages([&](QList<Page> &current) { current = pages; });
    // New providers with unchanged pages still have to reach the settings file and the card:
    // otherwise the choice would be lost at the next start.
    if (providersChanged && !pagesChanged)
        editSaved();
    Defaults::setValue(onboardedKey, true);
}

int FrameModel::calendarAccessChanges() const
{
    return m_calendar->accessChanges();
}

CalendarStore &FrameModel::eventStore()
{
    return m_calendar->store();
}

void FrameModel::requestCalendarAccess()
{
    m_calendar->requestAccess();
}

QCoro::Task<QJsonObject> FrameModel::calendarData()
{
    return m_calendar->section();
}

RefreshController *FrameModel::makeRefresh()
{
    auto *refresh =
        new RefreshController(std::make_unique<FrameRefreshInputs>(*this), m_configuration, *m_pictures, this);
    // The schedule's own signals, handed on once.
    const RefreshScheduler *schedule = &refresh->schedule();
    connect(schedule, &RefreshScheduler::refreshRequested, this, &FrameModel::refreshRequested);
    connect(schedule, &RefreshScheduler::isRefreshingChanged, this, &FrameModel::isRefreshingChanged);
    connect(schedule, &RefreshScheduler::refreshAgainChanged, this, &FrameModel::refreshAgainChanged);
    connect(schedule, &RefreshScheduler::isDrawingChanged, this, &FrameModel::isDrawingChanged);
    connect(refresh, &RefreshController::lastRunErrorChanged, this, &FrameModel::lastRunErrorChanged);
    connect(refresh, &RefreshController::renderedPagesChanged, this, &FrameModel::renderedPagesChanged);
    connect(refresh, &RefreshController::renderingPagesChanged, this, &FrameModel::renderingPagesChanged);
    connect(refresh, &RefreshController::failureNoteChanged, this, &FrameModel::failureNoteChanged);
    connect(refresh, &RefreshController::welcomingChanged, this, &FrameModel::welcomingChanged);
    return refresh;
}

void FrameModel::refresh()
{
    m_refresh->refresh();
}

void FrameModel::startSchedule()
{
    updates().checkInBackground();
    m_refresh->start();
    restartCycle();
}

void FrameModel::redraw()
{
    m_refresh->redraw();
}

QString FrameModel::statusLine() const
{
    return m_refresh->statusLine();
}

std::optional<QString> FrameModel::errorLine() const
{
    return m_refresh->errorLine();
}

bool FrameModel::isRefreshing() const
{
    return m_refresh->isRefreshing();
}

const std::optional<QString> &FrameModel::lastRunError() const
{
    return m_refresh->lastRunError();
}

bool FrameModel::refreshAgain() const
{
    return m_refresh->refreshAgain();
}

const QList<Page> &FrameModel::renderedPages() const
{
    return m_refresh->renderedPages();
}

const QList<Page> &FrameModel::renderingPages() const
{
    return m_refresh->renderingPages();
}

QString FrameModel::failureNote() const
{
    return m_refresh->failureNote();
}

std::optional<QString> FrameModel::sourceProblem() const
{
    return m_refresh->sourceProblem();
}

QString FrameModel::staleSlotText() const
{
    return m_refresh->staleSlotText();
}

bool FrameModel::welcoming() const
{
    return m_refresh->welcoming();
}

void FrameModel::setWelcoming(bool welcoming)
{
    m_refresh->setWelcoming(welcoming);
}

bool FrameModel::animatesPageChange() const
{
    return flash() == Flash::None && m_display->pendingAnimation().curve != ViewAnimation::Curve::None;
}

GitHubAuth &FrameModel::github()
{
    if (!m_github) {
        m_github = m_credentials
                       ? new GitHubAuth(m_configuration, m_credentials, std::make_shared<GitHubAuthClock>(), this)
                       : new GitHubAuth(m_configuration, this);
    }
    return *m_github;
}

UpdateChecker &FrameModel::updates()
{
    if (!m_updates)
        m_updates = new UpdateChecker(m_configuration.updateFeed, this);
    return *m_updates;
}
