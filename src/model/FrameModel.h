// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "DecodedPictures.h"
#include "UndoHistory.h"
#include "ViewAnimation.h"
#include "kit/Catalogue.h"
#include "kit/Countdown.h"
#include "kit/Flash.h"
#include "kit/FrameSize.h"
#include "kit/Page.h"
#include "kit/PageTransition.h"
#include "kit/ScreenLook.h"
#include "kit/ScreenManifest.h"
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

class CalendarStore;
class CredentialStore;
class GitHubAuth;
class RenderClient;
class QTimer;
class RefreshScheduler;
class UpdateChecker;

// The one central object of the program: the user's pages and settings, the catalogue, the
// manifest and images of the last refresh, the display options, the refresh and page-cycle
// state and the undo history. Every view reads its state from here and changes it through the
// operations below. Lives on the GUI thread.
//
// Every observed property notifies only when its value really changes (lists of pages and the
// optional records are compared by value); the window-opening hooks notify on every write.
//
// The implementation is split by concern, one source file each:
//   FrameModelState.cpp    start-up, settings file, manifest and images, providers, hooks
//   FrameModelDisplay.cpp  display options kept in the user defaults store, the page cycle
//                          and the e-paper flash
//   FrameModelRefresh.cpp  the refresh pipeline, its schedule, the status and error lines
//   FrameModelCalendar.cpp the calendar section of the data document, calendar access
//   FrameModelEditing.cpp  page editing and undo
// When refreshes run and which draw may write pictures is decided by RefreshScheduler, and the
// undo history is kept by UndoHistory; both are owned here and stay out of the views' sight.
class FrameModel : public QObject
{
    Q_OBJECT

    // Display options (FrameModelDisplay.cpp)
    Q_PROPERTY(QString view READ view WRITE setView NOTIFY viewChanged)
    Q_PROPERTY(ScreenLook look READ look WRITE setLook NOTIFY lookChanged)
    Q_PROPERTY(FrameSize size READ size WRITE setSize NOTIFY sizeChanged)
    Q_PROPERTY(bool keepOnTop READ keepOnTop WRITE setKeepOnTop NOTIFY keepOnTopChanged)
    Q_PROPERTY(PageTransition transition READ transition WRITE setTransition NOTIFY transitionChanged)
    Q_PROPERTY(bool movingForward READ movingForward WRITE setMovingForward NOTIFY movingForwardChanged)
    Q_PROPERTY(int cycleSeconds READ cycleSeconds WRITE setCycleSeconds NOTIFY cycleSecondsChanged)
    Q_PROPERTY(Flash flash READ flash WRITE setFlash NOTIFY flashChanged)
    Q_PROPERTY(bool planAlerts READ planAlerts WRITE setPlanAlerts NOTIFY planAlertsChanged)

    // Settings and the last run (FrameModelState.cpp)
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
    Q_PROPERTY(bool isDrawing READ isDrawing NOTIFY isDrawingChanged)
    Q_PROPERTY(QList<Page> renderedPages READ renderedPages NOTIFY renderedPagesChanged)
    Q_PROPERTY(QList<Page> renderingPages READ renderingPages NOTIFY renderingPagesChanged)
    Q_PROPERTY(QString failureNote READ failureNote NOTIFY failureNoteChanged)
    Q_PROPERTY(bool welcoming READ welcoming WRITE setWelcoming NOTIFY welcomingChanged)

    // Editing history (FrameModelEditing.cpp)
    Q_PROPERTY(bool canUndo READ canUndo NOTIFY historyChanged)
    Q_PROPERTY(bool canRedo READ canRedo NOTIFY historyChanged)

    // Calendar
    Q_PROPERTY(int calendarAccessChanges READ calendarAccessChanges NOTIFY calendarAccessChanged)

public:
    using ImageTable = QHash<QString, QImage>; // page images keyed by image file name
    using Action = std::function<void()>;

    struct ProviderChoice
    {
        QString id;
        QString title;
    };

    struct CycleChoice
    {
        int seconds;
        QString title;
    };

    // Reads everything the last run left (display options, catalogue, settings file, manifest
    // and images) and starts nothing: no timer, no refresh, no network, no file written.
    explicit FrameModel(QObject *parent = nullptr);
    // As above, but the GitHub token is kept in `credentials` rather than in the desktop keyring
    // (tests, and runs that must not touch the keyring). (FrameModelRefresh.cpp)
    FrameModel(std::shared_ptr<CredentialStore> credentials, QObject *parent);
    ~FrameModel() override;

    // ---- Start-up, settings and providers (FrameModelState.cpp) ----

    // The AI plan providers the user can choose from, in the order the menu lists them.
    static const QList<ProviderChoice> &providerChoices();

    QString viewsDir() const { return m_viewsDir; }
    QString screensDir() const { return m_screensDir; }
    // "settings.json" beside (not inside) the screens directory.
    QString settingsFile() const;

    const std::optional<Catalogue> &catalogue() const { return m_catalogue; }
    QStringList providers() const { return m_providers; }
    bool showLogos() const { return m_showLogos; }
    const QList<Page> &pages() const { return m_pages; }
    const std::optional<Countdown> &countdown() const { return m_countdown; }
    const std::optional<ScreenManifest> &manifest() const { return m_manifest; }
    const ImageTable &images() const { return m_images; }

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
    // The images of the current look for every view of the manifest; unreadable files are skipped.
    // Mono and Colour pictures wider than pictureWidthLimit() are decoded scaled down to it.
    void loadImages();

    // The shown page's words in reading order, kept beside its pictures; none when the last
    // drawing left no text for the view. Follows pageTextsChanged.
    std::optional<QString> pageText(const QString &view) const;

    // The widest a Mono or Colour picture is held, in pixels (0: as drawn). The card sets it to
    // what it can show on the current screens, so it never keeps the full 4080-pixel pictures
    // decoded; a change reloads the pictures.
    int pictureWidthLimit() const { return m_pictureWidthLimit; }
    void setPictureWidthLimit(int pixels);

    // ---- Display options (FrameModelDisplay.cpp) ----

    // The page-cycle intervals the menu offers.
    static const QList<CycleChoice> &cycleChoices();

    QString view() const { return m_view; }
    ScreenLook look() const { return m_look; }
    FrameSize size() const { return m_size; }
    bool keepOnTop() const { return m_keepOnTop; }
    PageTransition transition() const { return m_transition; }
    bool movingForward() const { return m_movingForward; }
    int cycleSeconds() const { return m_cycleSeconds; }
    Flash flash() const { return m_flash; }
    // Whether a chosen AI plan warns with a desktop notification before it runs out; on unless
    // the user turned it off.
    bool planAlerts() const { return m_planAlerts; }

    // Each stored option is written to the user defaults store on every call, changed or not.
    void setView(const QString &view);
    void setLook(ScreenLook look);
    void setSize(FrameSize size);
    void setKeepOnTop(bool keepOnTop);
    void setTransition(PageTransition transition);
    void setCycleSeconds(int seconds);
    void setMovingForward(bool forward);
    void setFlash(Flash flash);
    void setPlanAlerts(bool on);

    // ---- Page cycle and the card (FrameModelDisplay.cpp) ----

    // Puts the named rendered page on the card. Ignored when it is already shown or while an
    // e-paper flash runs. Under the panel look or the flash transition it runs the flash (dark,
    // light, then the new page, 0.14 s apart); otherwise it sets movingForward to `forward` and
    // changes the view with the animation pendingAnimation() then tells.
    void show(const QString &view, bool forward);
    // Cancels the cycle timer and, when cycling is on, arms a new one-shot timer for a full
    // interval; when it fires the card moves to the manifest's next view.
    void restartCycle();
    // The armed cycle timer; null while cycling is off.
    QTimer *cycleTimer() const { return m_cycleTimer; }
    // How the page view should animate the latest change of `view`: set before viewChanged is
    // emitted; none for a change made through setView() or at the end of a flash.
    ViewAnimation pendingAnimation() const { return m_pendingAnimation; }

    // Width in device-independent pixels of the page image on the card: 1360 device pixels for
    // the panel look, the size's width otherwise. A scale of 1 or less counts as 1.
    double contentWidth(double displayScale) const;
    // For the panel look, the widest whole number of 1360-pixel panels (at least one) that fits
    // in `width`; other looks show any width.
    double fittedWidth(double width, double displayScale) const;
    // The loaded image of a view and appearance; null when there is none. While a newly chosen
    // look has no pictures yet, the previous look's stand in for them.
    QImage image(const QString &view, bool dark) const;
    // The look whose pictures images() holds: the current one, or the previous one until the
    // current one has pictures.
    ScreenLook picturesLook() const { return m_picturesLook; }

    // ---- Refresh (FrameModelRefresh.cpp) ----

    // Asks for a refresh of data and page images (menu, editor, settings changes). One runs at
    // a time; any number of requests during a run give exactly one follow-up.
    void refresh();
    // Starts refreshing: a quiet update check, a refresh every 30 minutes and after every wake
    // from sleep, one refresh now, and the page cycle. Called once by the application.
    void startSchedule();
    // Draws every page again from the "data.json" of the last good refresh without collecting
    // (after a look change); does nothing during a refresh or without that file. Failures are
    // dropped silently. A redraw that begins while another runs supersedes it.
    void redraw();

    // The most pages a refresh draws; later pages are kept but get no pictures.
    static constexpr qsizetype mostDrawnPages = 30;

    // "Refreshing…", "Updated 09:15 · Sun 1 Mar" or "Not updated yet". Follows
    // isRefreshingChanged and manifestChanged.
    QString statusLine() const;
    // The failure of the last refresh, if it failed; follows lastRunErrorChanged and
    // manifestChanged.
    std::optional<QString> errorLine() const;
    // "Last refresh failed: " and the error line while the card shows pictures older than a
    // failed refresh (the card marks them; its tooltip reads this); empty when the last refresh
    // worked, when no picture is shown (the card then shows the error line itself) and while
    // the first welcome is open.
    QString failureNote() const { return m_failureNote; }
    // What a slot whose picture is out of date says: "Updating…" while a refresh may still
    // draw it, "Not updated: " and the error line once the last refresh failed.
    QString staleSlotText() const;

    // Whether the welcome flow of the first start is open: the card then welcomes rather than
    // showing what the default pages' first refresh ran into. Set by the application.
    bool welcoming() const { return m_welcoming; }
    void setWelcoming(bool welcoming);

    // The services the model owns; each is created on first use and lives as long as the model.
    GitHubAuth &github();
    UpdateChecker &updates();

    bool isRefreshing() const;
    const std::optional<QString> &lastRunError() const { return m_lastRunError; }
    bool refreshAgain() const;
    // Whether pictures are being drawn, by a refresh or a redraw.
    bool isDrawing() const;
    // The pages as they were when their images were last drawn, and as being drawn now.
    const QList<Page> &renderedPages() const { return m_renderedPages; }
    const QList<Page> &renderingPages() const { return m_renderingPages; }

    // ---- Page editing and undo (FrameModelEditing.cpp) ----

    using PagesChange = std::function<void(QList<Page> &)>;
    using PageChange = std::function<void(Page &)>;

    // The page lists undo and redo step through.
    const UndoHistory &history() const { return *m_history; }
    bool canUndo() const { return m_history->canUndo(); }
    bool canRedo() const { return m_history->canRedo(); }

    // The one way the page list is edited. Applies `change` to the whole list; only when the
    // list really changed (identifiers included) is the old list kept for undo, the redo history
    // dropped, the settings file saved and a refresh asked for.
    void editPages(const PagesChange &change);
    // Step back (forward) one page list; always saves and refreshes, does nothing at all when
    // there is nothing to step to.
    void undo();
    void redo();

    // The first page with this identifier, if any.
    std::optional<Page> page(const QUuid &id) const;

    // Each of these goes through editPages(), so an identifier that names no page, or a change
    // that leaves the page as it was, records nothing.
    void updatePage(const QUuid &id, const PageChange &change);
    // Puts a widget in a slot, or empties it with none; a page too short for the slot first
    // gains empty slots. Emptying a slot beyond the page's slots, or a negative slot, changes
    // nothing.
    void setWidget(const std::optional<QString> &widget, const QUuid &page, int slot);
    // The empty text clears the page's own title; any other text is kept exactly as given.
    void setTitle(const QString &text, const QUuid &page);
    // A new "halves" page with two empty slots, right after the page `after` names, else at the
    // end. Returns its identifier.
    QUuid addPage(const std::optional<QUuid> &after = std::nullopt);
    // A copy with a new identifier right after its source; none when no page has `id`.
    std::optional<QUuid> duplicatePage(const QUuid &id);
    // Never removes the only page.
    void removePage(const QUuid &id);
    // Takes out the pages at `positions` (a set: order and repeats do not matter, positions
    // outside the list are ignored) and puts them back, in their order, before the page that
    // stood at `destination` (at the end when it is the page count).
    void movePages(const QList<int> &positions, int destination);
    // Puts back the catalogue's starting pages (none without a catalogue); undoable.
    void resetPages();
    // Installs what the welcome flow chose: the pages (an undoable edit) and the providers
    // (known ids only, in providerChoices() order); marks the user as onboarded.
    void start(const QList<Page> &pages, const QStringList &providers);

    // Whether the slot's last rendered image does not show the slot's current widget yet.
    bool isStale(const Page &page, int slot) const;
    // "page<i>" for the page at position i, the name of its rendered images; none when no page
    // has `id`.
    std::optional<QString> viewName(const QUuid &id) const;
    // The view name of the page at this position.
    static QString viewName(qsizetype index);

    // ---- Calendar (FrameModelCalendar.cpp) ----

    // Counts answers to the calendar access question; calendarAccessChanged() tells views to
    // read the authorisation again.
    int calendarAccessChanges() const { return m_calendarAccessChanges; }
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
    void planAlertsChanged();

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

    // ---- Start-up and settings (FrameModelState.cpp) ----
    void readCatalogue();
    void loadSettings();
    void saveSettings();
    void readManifest();
    ImageTable readPictures(ScreenLook look);
    // How wide the card holds the pictures of `look`, 0 for their full size.
    int pictureWidthLimitFor(ScreenLook look) const;
    bool hasPicturesOfLook() const { return m_picturesLook == m_look && !m_images.isEmpty(); }

    void setProviders(const QStringList &providers) { assign(m_providers, providers, &FrameModel::providersChanged); }
    void setPages(const QList<Page> &pages) { assign(m_pages, pages, &FrameModel::pagesChanged); }
    void setManifest(const std::optional<ScreenManifest> &manifest)
    {
        assign(m_manifest, manifest, &FrameModel::manifestChanged);
    }
    void setImages(const ImageTable &images) { assign(m_images, images, &FrameModel::imagesChanged); }

    // ---- Display options (FrameModelDisplay.cpp) ----
    void readDisplayOptions();
    void changeView(const QString &view, const ViewAnimation &animation);
    void advanceCycle();
    QCoro::Task<> playFlash(QString view);

    // ---- Refresh (FrameModelRefresh.cpp) ----
    RefreshScheduler *makeScheduler();
    void refreshStarting();
    QCoro::Task<std::optional<QString>> runRefresh();
    QCoro::Task<std::optional<QString>> refreshToken();
    QCoro::Task<bool> draw(QString dataJson);
    static RenderJob pictureJob(const QString &dataJson, int page, ScreenLook look, bool dark,
                                const QJsonObject &themes);
    QCoro::Task<> redrawFrom(QString dataJson);
    bool writeManifest(bool ok, const std::optional<QDateTime> &updatedAt, const std::optional<QString> &login,
                       const std::optional<QString> &error);
    qsizetype drawnPageCount() const;
    QStringList drawnViews() const;
    void markUnfinished();
    void finished(const std::optional<QString> &error, bool followUp);
    void drawChosenLook();
    void updateFailureNote();
    void takePlanResets(const QJsonObject &data);
    RenderClient &renderer();

    // ---- Calendar (FrameModelCalendar.cpp) ----
    QCoro::Task<> askForCalendarAccess();

    // ---- Refresh state ----
    void setLastRunError(const std::optional<QString> &error)
    {
        assign(m_lastRunError, error, &FrameModel::lastRunErrorChanged);
    }
    void setRenderedPages(const QList<Page> &pages)
    {
        assign(m_renderedPages, pages, &FrameModel::renderedPagesChanged);
    }
    void setRenderingPages(const QList<Page> &pages)
    {
        assign(m_renderingPages, pages, &FrameModel::renderingPagesChanged);
    }

    // ---- Display options ----
    QString m_view = QStringLiteral("page0");
    ScreenLook m_look = ScreenLook::Mono;
    FrameSize m_size = FrameSize::Medium;
    bool m_keepOnTop = false;
    PageTransition m_transition = PageTransition::Flip;
    bool m_movingForward = true;
    int m_cycleSeconds = 0;
    Flash m_flash = Flash::None;
    bool m_planAlerts = true;
    QTimer *m_cycleTimer = nullptr;
    ViewAnimation m_pendingAnimation;

    // ---- Locations, fixed at start-up ----
    QString m_viewsDir;
    QString m_screensDir;

    // ---- Settings file ----
    QStringList m_providers{QStringLiteral("claude"), QStringLiteral("codex")};
    bool m_showLogos = true;
    QList<Page> m_pages;
    std::optional<Countdown> m_countdown;

    // ---- Catalogue and the last run ----
    std::optional<Catalogue> m_catalogue;
    std::optional<ScreenManifest> m_manifest;
    ImageTable m_images;
    QHash<QString, QString> m_pageTexts; // keyed by view name
    ScreenLook m_picturesLook = ScreenLook::Mono;
    // The look the last good refresh drew; the other looks' pictures went with it.
    std::optional<ScreenLook> m_refreshedLook;
    int m_pictureWidthLimit = 0;
    // The pictures of the draw going on, decoded as they arrive.
    DecodedPictures m_decodedPictures;

    // ---- Refresh ----
    RefreshScheduler *m_schedule = nullptr;
    std::optional<QString> m_lastRunError;
    // A look was chosen that has no pictures yet and is drawn as soon as no refresh runs.
    bool m_lookAwaitingPictures = false;
    QList<Page> m_renderedPages;
    QList<Page> m_renderingPages;
    QString m_failureNote;
    bool m_welcoming = false;

    // ---- Owned services, created on first use ----
    std::shared_ptr<CredentialStore> m_credentials; // none: the desktop keyring
    GitHubAuth *m_github = nullptr;
    UpdateChecker *m_updates = nullptr;
    CalendarStore *m_eventStore = nullptr;
    RenderClient *m_renderer = nullptr;

    // ---- Editing history and calendar ----
    UndoHistory *m_history = nullptr;
    int m_calendarAccessChanges = 0;

    // ---- Window-opening hooks ----
    Action m_openEditor;
    Action m_openConnections;
    Action m_openWelcome;
};
