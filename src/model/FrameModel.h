// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "DisplayOptions.h"
#include "PageDocument.h"
#include "RefreshController.h"
#include "ScreenPictures.h"
#include "kit/Catalogue.h"
#include "kit/Countdown.h"
#include "kit/Flash.h"
#include "kit/FrameSize.h"
#include "kit/Page.h"
#include "kit/PageTransition.h"
#include "kit/ScreenLook.h"
#include "kit/ScreenManifest.h"
#include "platform/Configuration.h"
#include "render/RenderJob.h"

#include <QCoroTask>
#include <QDateTime>
#include <QHash>
#include <QImage>
#include <QJsonObject>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>

class CalendarSource;
class CalendarStore;
class CredentialStore;
class GitHubAuth;
class QTimer;
class UpdateChecker;

// The one central object of the program, the one the windows see: the user's pages and
// settings, the catalogue, the manifest and images of the last refresh, the display options,
// the refresh and page-cycle state and the undo history. Every window reads its state from
// here and changes it through the operations below.
//
// It is a front over parts that each own one concern and can be used alone:
//   DisplayOptions  the options kept in the user defaults store, the page on the card, the
//                   page cycle and the e-paper flash (display())
//   PageDocument    the pages, their edits and the undo history (document())
//   CalendarSource  the calendar store and the data document's calendar section
//   ScreenPictures  the last run's manifest, pictures and page texts as the card shows them
//                   (pictures())
//   RefreshController  the refresh pipeline, its schedule, the renderer process, the failure
//                   and status lines (refresher())
// The windows and the application use the members named below only, never a part: which part
// holds what is the model's own business, so a part can be split or merged without touching a
// window (TestLayering refuses a window that includes a part's header or calls a part's
// accessor). The members mostly hand on to a part and add what joins the parts (an edit is saved
// and refreshed, a new look is drawn). The part accessors are for the model's own code and the
// parts' tests. Lives on the GUI thread.
//
// Every observed property notifies only when its value really changes (lists of pages and the
// optional records are compared by value); the window-opening hooks notify on every write.
//
// FrameModel.cpp holds start-up, the settings file, the providers, the hooks, the owned services
// and the operations handed on to the parts.
class FrameModel : public QObject
{
    Q_OBJECT

    // Display options (DisplayOptions); `view` is the name of the page on the card
    Q_PROPERTY(QString view READ view WRITE setView NOTIFY viewChanged)
    Q_PROPERTY(ScreenLook look READ look WRITE setLook NOTIFY lookChanged)
    Q_PROPERTY(FrameSize size READ size WRITE setSize NOTIFY sizeChanged)
    Q_PROPERTY(bool keepOnTop READ keepOnTop WRITE setKeepOnTop NOTIFY keepOnTopChanged)
    Q_PROPERTY(PageTransition transition READ transition WRITE setTransition NOTIFY transitionChanged)
    Q_PROPERTY(bool movingForward READ movingForward NOTIFY movingForwardChanged)
    Q_PROPERTY(int cycleSeconds READ cycleSeconds WRITE setCycleSeconds NOTIFY cycleSecondsChanged)
    Q_PROPERTY(Flash flash READ flash NOTIFY flashChanged)

    // Settings and the last run
    Q_PROPERTY(QStringList providers READ providers NOTIFY providersChanged)
    Q_PROPERTY(bool showLogos READ showLogos WRITE setShowLogos NOTIFY showLogosChanged)
    Q_PROPERTY(QList<Page> pages READ pages NOTIFY pagesChanged)
    Q_PROPERTY(std::optional<Countdown> countdown READ countdown NOTIFY countdownChanged)
    Q_PROPERTY(std::optional<Catalogue> catalogue READ catalogue NOTIFY catalogueChanged)
    Q_PROPERTY(std::optional<ScreenManifest> manifest READ manifest NOTIFY manifestChanged)
    Q_PROPERTY(ImageTable images READ images NOTIFY imagesChanged)

    // Refresh state
    Q_PROPERTY(bool isRefreshing READ isRefreshing NOTIFY isRefreshingChanged)
    Q_PROPERTY(std::optional<QString> lastRunError READ lastRunError NOTIFY lastRunErrorChanged)
    Q_PROPERTY(bool refreshAgain READ refreshAgain NOTIFY refreshAgainChanged)
    Q_PROPERTY(QList<Page> renderedPages READ renderedPages NOTIFY renderedPagesChanged)
    Q_PROPERTY(QList<Page> renderingPages READ renderingPages NOTIFY renderingPagesChanged)

    // Editing history (PageDocument)
    Q_PROPERTY(bool canUndo READ canUndo NOTIFY historyChanged)
    Q_PROPERTY(bool canRedo READ canRedo NOTIFY historyChanged)

    // Calendar
    Q_PROPERTY(int calendarAccessChanges READ calendarAccessChanges NOTIFY calendarAccessChanged)

public:
    using ImageTable = ScreenPictures::ImageTable;
    using Action = std::function<void()>;
    using CycleChoice = DisplayOptions::CycleChoice;
    using PagesChange = PageDocument::PagesChange;
    using PageChange = PageDocument::PageChange;

    struct ProviderChoice
    {
        QString id;
        QString title;
    };

    // Reads everything the last run left in the places `configuration` names (display options,
    // catalogue, settings file, manifest and images) and starts nothing: no timer, no refresh, no
    // network, no file written. The GitHub token and the calendar secrets are kept in
    // `credentials`, or in the desktop keyring when there are none.
    explicit FrameModel(Configuration configuration, std::shared_ptr<CredentialStore> credentials = nullptr,
                        QObject *parent = nullptr);
    ~FrameModel() override;

    // The parts, for the model's own code and the parts' tests; never for a window.
    DisplayOptions &display() { return *m_display; }
    const DisplayOptions &display() const { return *m_display; }
    const PageDocument &document() const { return *m_document; }
    ScreenPictures &pictures() { return *m_pictures; }
    const ScreenPictures &pictures() const { return *m_pictures; }
    RefreshController &refresher() { return *m_refresh; }
    const RefreshController &refresher() const { return *m_refresh; }

    // ---- Start-up, settings and providers ----

    // The AI plan providers the user can choose from, in the order the menu lists them.
    static const QList<ProviderChoice> &providerChoices();

    // Where the model reads and writes, what it draws with and which hosts it asks.
    const Configuration &configuration() const { return m_configuration; }
    QString viewsDir() const { return m_configuration.viewsDir; }
    QString screensDir() const { return m_configuration.screensDir; }
    // "settings.json" beside (not inside) the screens directory.
    QString settingsFile() const;

    const std::optional<Catalogue> &catalogue() const { return m_catalogue; }
    QStringList providers() const { return m_providers; }
    bool showLogos() const { return m_showLogos; }
    const QList<Page> &pages() const { return m_document->pages(); }
    const std::optional<Countdown> &countdown() const { return m_countdown; }
    const std::optional<ScreenManifest> &manifest() const { return m_pictures->manifest(); }
    const ImageTable &images() const { return m_pictures->images(); }

    // Whether the welcome flow opens at launch: not once onboarded, otherwise only while no
    // settings file exists.
    bool needsWelcome() const;

    // Switches one provider on or off, keeping the list in providerChoices() order and dropping
    // unknown ids; then saves and refreshes, even when nothing changed.
    void setProvider(const QString &id, bool on);
    void setShowLogos(bool show);
    void setCountdown(const Countdown &countdown);

    // Re-reads the screens directory's manifest and the images it names. A missing manifest
    // keeps the one held; an undecodable one clears it.
    void reload();
    // The images of the current look for every page of the manifest (ScreenPictures::load).
    void loadImages();

    // ---- Display options and the card (DisplayOptions) ----

    // The page-cycle intervals the menu offers.
    static const QList<CycleChoice> &cycleChoices() { return DisplayOptions::cycleChoices(); }

    // The name of the rendered page on the card.
    QString view() const { return m_display->pageName(); }
    ScreenLook look() const { return m_display->look(); }
    FrameSize size() const { return m_display->size(); }
    bool keepOnTop() const { return m_display->keepOnTop(); }
    PageTransition transition() const { return m_display->transition(); }
    bool movingForward() const { return m_display->movingForward(); }
    int cycleSeconds() const { return m_display->cycleSeconds(); }
    Flash flash() const { return m_display->flash(); }
    // Whether desktop alerts are sent before a plan runs out.
    bool planAlerts() const { return m_display->planAlerts(); }
    // Whether the page change being made now is animated (none during the e-paper flash, or
    // when the page was put on the card without a transition).
    bool animatesPageChange() const;
    // The content width of the Panel Pixels look at a display scale, screen or not.
    static double panelContentWidth(double displayScale) { return DisplayOptions::panelContentWidth(displayScale); }

    // Each stored option is written to the user defaults store on every call, changed or not.
    void setView(const QString &pageName) { m_display->setPageName(pageName); }
    // Also loads the look's pictures, and draws them from the last data document when it has
    // none yet.
    void setLook(ScreenLook look);
    // Shows another look while the chosen one does not fit the screen, as setLook() does, but
    // keeps the chosen one stored; showing the chosen look again ends the stand-in.
    void showLookInstead(ScreenLook look);
    ScreenLook chosenLook() const;
    void setSize(FrameSize size) { m_display->setSize(size); }
    void setKeepOnTop(bool keepOnTop) { m_display->setKeepOnTop(keepOnTop); }
    void setTransition(PageTransition transition) { m_display->setTransition(transition); }
    void setCycleSeconds(int seconds) { m_display->setCycleSeconds(seconds); }
    void setPlanAlerts(bool on) { m_display->setPlanAlerts(on); }

    // Puts the named rendered page on the card (DisplayOptions::show).
    void show(const QString &pageName, bool forward) { m_display->show(pageName, forward); }
    void restartCycle() { m_display->restartCycle(); }
    QTimer *cycleTimer() const { return m_display->cycleTimer(); }
    double contentWidth(double displayScale) const { return m_display->contentWidth(displayScale); }
    double fittedWidth(double width, double displayScale) const { return m_display->fittedWidth(width, displayScale); }
    // The loaded image of a page and appearance; null when there is none. While a newly chosen
    // look has no pictures yet, the previous look's stand in for them.
    QImage image(const QString &pageName, bool dark) const { return m_pictures->image(pageName, dark); }
    // The look of the pictures loaded now: the chosen look's, or the previous look's while the
    // chosen one has none yet.
    ScreenLook picturesLook() const { return m_pictures->picturesLook(); }
    // The words of a rendered page, as the screen reader says them; none before its first
    // drawing.
    std::optional<QString> pageText(const QString &pageName) const { return m_pictures->pageText(pageName); }
    // The widest picture worth decoding, in device pixels (the card's widest use of one).
    void setPictureWidthLimit(int pixels) { m_pictures->setWidthLimit(pixels); }

    // ---- Refresh (RefreshController) ----

    // Asks for a refresh of data and page images (menu, editor, settings changes). One runs at
    // a time; any number of requests during a run give exactly one follow-up.
    void refresh();
    // Starts refreshing: a quiet update check, a refresh every 30 minutes and after every wake
    // from sleep, one refresh now, and the page cycle. Called once by the application.
    void startSchedule();
    // Draws every page again from the last good data document (RefreshController::redraw).
    void redraw();

    // The most pages a refresh draws; later pages are kept but get no pictures.
    static constexpr qsizetype mostDrawnPages = RefreshController::mostDrawnPages;

    // "Refreshing…", "Updated 09:15 · Sun 1 Mar" or "Not updated yet". Follows
    // isRefreshingChanged and manifestChanged.
    QString statusLine() const;
    // The failure of the last refresh, if it failed; follows lastRunErrorChanged and
    // manifestChanged.
    std::optional<QString> errorLine() const;

    // The services the model owns; each is created on first use and lives as long as the model.
    GitHubAuth &github();
    UpdateChecker &updates();

    bool isRefreshing() const;
    const std::optional<QString> &lastRunError() const;
    bool refreshAgain() const;
    // The pages as they were when their images were last drawn, and as being drawn now.
    const QList<Page> &renderedPages() const;
    const QList<Page> &renderingPages() const;
    // What one source of a refresh that otherwise worked ran into ("GitHub not updated: " and
    // the reason); none when every source answered.
    std::optional<QString> sourceProblem() const;
    // "Last refresh failed: …" or the source problem while the card shows pictures it marks;
    // empty when there is nothing to mark (RefreshController::failureNote).
    QString failureNote() const;
    // "Updating…" or "Not updated: …" for a slot whose picture is out of date.
    QString staleSlotText() const;
    // Whether the first start's welcome is open: the card then welcomes rather than showing
    // what the default pages' first refresh ran into. Set by the application.
    bool welcoming() const;
    void setWelcoming(bool welcoming);

    // ---- Page editing and undo (PageDocument) ----

    bool canUndo() const { return m_document->canUndo(); }
    // The page with `id`, as it stands now; none when there is no such page.
    std::optional<Page> page(const QUuid &id) const { return m_document->page(id); }
    bool canRedo() const { return m_document->canRedo(); }

    // The one way the page list is edited. Applies `change` to the whole list; only when the
    // list really changed (identifiers included) is the old list kept for undo, the redo history
    // dropped, the settings file saved and a refresh asked for.
    void editPages(const PagesChange &change) { m_document->editPages(change); }
    // Step back (forward) one page list; always saves and refreshes, does nothing at all when
    // there is nothing to step to.
    void undo() { m_document->undo(); }
    void redo() { m_document->redo(); }

    // The named edits of PageDocument, each saved and refreshed when it changed the list.
    void updatePage(const QUuid &id, const PageChange &change) { m_document->updatePage(id, change); }
    void setWidget(const std::optional<QString> &widget, const QUuid &page, int slot)
    {
        m_document->setWidget(widget, page, slot);
    }
    void setTitle(const QString &text, const QUuid &page) { m_document->setTitle(text, page); }
    QUuid addPage(const std::optional<QUuid> &after = std::nullopt) { return m_document->addPage(after); }
    std::optional<QUuid> duplicatePage(const QUuid &id) { return m_document->duplicatePage(id); }
    void removePage(const QUuid &id) { m_document->removePage(id); }
    void movePages(const QList<int> &positions, int destination) { m_document->movePages(positions, destination); }
    // Puts back the catalogue's starting pages (none without a catalogue); undoable.
    void resetPages();
    // Installs what the welcome flow chose: the pages (an undoable edit) and the providers
    // (known ids only, in providerChoices() order); marks the user as onboarded.
    void start(const QList<Page> &pages, const QStringList &providers);

    // Whether the slot's last rendered image does not show the slot's current widget yet.
    bool isStale(const Page &page, int slot) const { return PageDocument::isStale(renderedPages(), page, slot); }
    // The name of a page's rendered images ("page<i>"); none when no page has `id`.
    std::optional<QString> viewName(const QUuid &id) const { return m_document->pageName(id); }

    // ---- Calendar (CalendarSource) ----

    // Counts answers to the calendar access question; calendarAccessChanged() tells views to
    // read the authorisation again.
    int calendarAccessChanges() const;
    CalendarStore &eventStore();
    // Asks the user for calendar access; whatever the answer, then announces
    // calendarAccessChanged and refreshes.
    void requestCalendarAccess();
    // The data document's "calendar" section: the next 7 days' first 12 events, or "noAccess".
    QCoro::Task<QJsonObject> calendarData();

    // ---- Window-opening hooks, installed by the application ----

    const Action &openEditor() const { return m_openEditor; }
    const Action &openConnections() const { return m_openConnections; }
    const Action &openWelcome() const { return m_openWelcome; }
    void setOpenEditor(Action action);
    void setOpenConnections(Action action);
    void setOpenWelcome(Action action);

Q_SIGNALS:
    void viewChanged();
    void lookChanged();
    void sizeChanged();
    void keepOnTopChanged();
    void transitionChanged();
    void movingForwardChanged();
    void cycleSecondsChanged();
    void flashChanged();

    void providersChanged();
    void showLogosChanged();
    void pagesChanged();
    void countdownChanged();
    void catalogueChanged();
    void manifestChanged();
    void imagesChanged();
    void pageTextsChanged();

    void isRefreshingChanged();
    void lastRunErrorChanged();
    void refreshAgainChanged();
    void isDrawingChanged();
    void renderedPagesChanged();
    void renderingPagesChanged();
    void failureNoteChanged();
    void welcomingChanged();
    // Emitted by every call of refresh(), whether it starts a refresh or marks a follow-up.
    void refreshRequested();

    void historyChanged();

    void calendarAccessChanged();

    void openEditorChanged();
    void openConnectionsChanged();
    void openWelcomeChanged();

private:
    // Stores the value and notifies through the given signal only when it differs.
    template<typename T>
    bool assign(T &member, const T &value, void (FrameModel::*changed)())
    {
        if (member == value)
            return false;
        member = value;
        Q_EMIT(this->*changed)();
        return true;
    }

    // ---- Start-up and settings ----
    void readCatalogue();
    void loadSettings();
    void saveSettings();
    void readManifest();
    bool hasPicturesOfLook() const { return m_pictures->hasChosenLook(); }
    // The pictures and the drawing follow the look shown.
    void takeLook(ScreenLook look);

    void setProviders(const QStringList &providers) { assign(m_providers, providers, &FrameModel::providersChanged); }

    void connectParts();
    void connectPictures();
    void editSaved();

    RefreshController *makeRefresh();

    // ---- Parts ----
    std::shared_ptr<CredentialStore> m_credentials; // none: the desktop keyring
    DisplayOptions *m_display = nullptr;
    PageDocument *m_document = nullptr;
    CalendarSource *m_calendar = nullptr;
    ScreenPictures *m_pictures = nullptr;
    RefreshController *m_refresh = nullptr;

    // ---- Locations, fixed at start-up ----
    Configuration m_configuration;

    // ---- Settings file ----
    QStringList m_providers{QStringLiteral("claude"), QStringLiteral("codex")};
    bool m_showLogos = true;
    std::optional<Countdown> m_countdown;

    // ---- Catalogue and the last run ----
    std::optional<Catalogue> m_catalogue;

    // ---- Owned services, created on first use ----
    GitHubAuth *m_github = nullptr;
    UpdateChecker *m_updates = nullptr;

    // ---- Window-opening hooks ----
    Action m_openEditor;
    Action m_openConnections;
    Action m_openWelcome;
};
