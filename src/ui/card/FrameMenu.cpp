// SPDX-License-Identifier: GPL-3.0-or-later
#include "FrameMenu.h"

#include "DesktopStacking.h"

#include "data/UserEnvironment.h"
#include "kit/PageCycle.h"
#include "model/FrameModel.h"
#include "platform/Autostart.h"
#include "services/UpdateChecker.h"

#include <QActionGroup>
#include <QClipboard>
#include <QCoreApplication>
#include <QCoroTask>
#include <QGuiApplication>
#include <QKeyEvent>

namespace {

QString transitionTitle(PageTransition transition)
{
    switch (transition) {
    case PageTransition::Flip:
        return QStringLiteral("Flip");
    case PageTransition::Slide:
        return QStringLiteral("Slide");
    case PageTransition::Fade:
        return QStringLiteral("Fade");
    case PageTransition::Flash:
        break;
    }
    return QStringLiteral("E-paper Flash");
}

QKeySequence withControl(Qt::Key key)
{
    return QKeySequence(Qt::CTRL | key);
}

} // namespace

FrameMenu::FrameMenu(FrameModel &model, QWidget *parent)
    : QMenu(parent)
    , m_model(model)
    , m_quit([] { QCoreApplication::quit(); })
{
    setTitle(QStringLiteral("Tessarine"));
    connect(this, &QMenu::aboutToShow, this, &FrameMenu::rebuild);
    rebuild();
}

void FrameMenu::rebuild()
{
    clear();
    for (const QPointer<QMenu> &submenu : std::as_const(m_submenus))
        delete submenu.data();
    m_submenus.clear();

    addStatus();
    addSeparator();
    addNavigation();
    addSeparator();
    addWindows();
    addSeparator();
    addRefresh();
    addSeparator();
    addDisplayOptions();
    addSeparator();
    addUpdates();
}

QString FrameMenu::openingWords() const
{
    return accessibleName() + QStringLiteral(" menu. ") + accessibleDescription();
}

void FrameMenu::keyPressEvent(QKeyEvent *event)
{
    // Qt leaves the shortcuts of a popup's items to the window that holds the popup, and
    // neither the card nor the tray ever takes the keyboard; a menu bar's menu answers its
    // shortcuts itself, and so does this one.
    if (QAction *chosen = actionForShortcut(QKeySequence(event->keyCombination()))) {
        event->accept();
        hide();
        chosen->trigger();
        return;
    }
    QMenu::keyPressEvent(event);
}

QAction *FrameMenu::actionForShortcut(const QKeySequence &keys) const
{
    for (QAction *action : actions()) {
        if (!action->shortcut().isEmpty() && action->shortcut() == keys && action->isEnabled())
            return action;
    }
    return nullptr;
}

QStringList FrameMenu::views() const
{
    return m_model.manifest() ? m_model.manifest()->pageNames : QStringList();
}

void FrameMenu::addStatus()
{
    QStringList status{m_model.statusLine()};
    if (const std::optional<QString> error = m_model.errorLine(); error && !error->isEmpty())
        status.append(QStringLiteral("Last refresh failed: ") + *error);
    else if (const std::optional<QString> partial = m_model.sourceProblem())
        status.append(*partial);
    for (const QString &line : std::as_const(status))
        addAction(line)->setEnabled(false);
    // The keyboard passes over the disabled status lines; a screen reader says the menu's name
    // and description as it opens, so they carry what the lines say.
    setAccessibleName(title());
    setAccessibleDescription(status.join(QStringLiteral(". ")));
}

void FrameMenu::addNavigation()
{
    QAction *next = addAction(QStringLiteral("Next Page"), this, [this] {
        if (const std::optional<QString> name = PageCycle::next(m_model.view(), views()))
            m_model.show(*name, true);
    });
    next->setShortcut(withControl(Qt::Key_BracketRight));
    QAction *previous = addAction(QStringLiteral("Previous Page"), this, [this] {
        if (const std::optional<QString> name = PageCycle::previous(m_model.view(), views()))
            m_model.show(*name, false);
    });
    previous->setShortcut(withControl(Qt::Key_BracketLeft));
    addPagePicker();
    addCopyPageText();
    addCyclePicker();
    addTransitionPicker();
}

void FrameMenu::addCopyPageText()
{
    // The shown page in words, as a screen reader reads it, for pasting anywhere.
    const std::optional<QString> text = m_model.pageText(m_model.view());
    QAction *copy = addAction(QStringLiteral("Copy Page Text"), this, [this] {
        if (const std::optional<QString> current = m_model.pageText(m_model.view()))
            QGuiApplication::clipboard()->setText(*current);
    });
    copy->setEnabled(text.has_value());
}

void FrameMenu::addPagePicker()
{
    QMenu *picker = addPicker(QStringLiteral("Page"));
    for (const QString &name : views()) {
        const QString title = m_model.manifest()->title(name);
        addChoice(picker, title, name == m_model.view(), [this, name] { m_model.show(name, true); });
    }
}

void FrameMenu::addCyclePicker()
{
    QMenu *picker = addPicker(QStringLiteral("Cycle Pages"));
    for (const FrameModel::CycleChoice &choice : FrameModel::cycleChoices()) {
        const int seconds = choice.seconds;
        addChoice(picker, choice.title, seconds == m_model.cycleSeconds(),
                  [this, seconds] { m_model.setCycleSeconds(seconds); });
    }
    picker->menuAction()->setEnabled(views().size() >= 2);
}

void FrameMenu::addTransitionPicker()
{
    QMenu *picker = addPicker(QStringLiteral("Page Transition"));
    for (const PageTransition transition : PageTransition::all()) {
        addChoice(picker, transitionTitle(transition), transition == m_model.transition(),
                  [this, transition] { m_model.setTransition(transition); });
    }
    // A panel always changes pages with the e-paper flash.
    picker->menuAction()->setEnabled(m_model.look() != ScreenLook::Panel);
}

void FrameMenu::addWindows()
{
    QAction *editor = addAction(QStringLiteral("Edit Layout…"), this, [this] {
        if (m_model.openEditor())
            m_model.openEditor()();
    });
    editor->setShortcut(withControl(Qt::Key_E));
    QAction *connections = addAction(QStringLiteral("Connections…"), this, [this] {
        if (m_model.openConnections())
            m_model.openConnections()();
    });
    connections->setShortcut(withControl(Qt::Key_Comma));
    addAction(QStringLiteral("Show Welcome…"), this, [this] {
        if (m_model.openWelcome())
            m_model.openWelcome()();
    });
}

void FrameMenu::addRefresh()
{
    const bool refreshing = m_model.isRefreshing();
    QAction *refresh =
        addAction(refreshing ? QStringLiteral("Refreshing…") : QStringLiteral("Refresh Now"), this, [this] {
            // Asked for by hand: the tools are looked for afresh, so one installed since the last
            // look is found.
            UserEnvironment::instance().forget();
            m_model.refresh();
        });
    refresh->setShortcut(withControl(Qt::Key_R));
    refresh->setEnabled(!refreshing);
}

void FrameMenu::addDisplayOptions()
{
    addColourToggle();
    addLookPicker();
    addSizePicker();
    addPlansMenu();
    addKeepOnTopToggle();
}

void FrameMenu::addColourToggle()
{
    QAction *colour = addToggle(this, QStringLiteral("Colour"), m_model.look() == ScreenLook::Colour,
                                [this](bool on) { m_model.setLook(on ? ScreenLook::Colour : ScreenLook::Mono); });
    colour->setShortcut(withControl(Qt::Key_K));
}

void FrameMenu::addLookPicker()
{
    QMenu *picker = addPicker(QStringLiteral("Look"));
    for (const ScreenLook look : ScreenLook::all())
        addChoice(picker, look.title(), look == m_model.chosenLook(), [this, look] { m_model.setLook(look); });
}

void FrameMenu::addSizePicker()
{
    QMenu *picker = addPicker(QStringLiteral("Size"));
    for (const FrameSize size : FrameSize::all()) {
        QAction *choice =
            addChoice(picker, size.title(), size == m_model.size(), [this, size] { m_model.setSize(size); });
        // Where the desktop ignores the stacking hints the grid could not stay beneath windows.
        if (size == FrameSize::FullScreen)
            choice->setEnabled(DesktopStacking::hintsFollowed());
    }
    // A panel is always drawn at whole panel widths.
    picker->menuAction()->setEnabled(m_model.look() != ScreenLook::Panel);
}

void FrameMenu::addPlansMenu()
{
    QMenu *plans = addPicker(QStringLiteral("AI Plans"));
    for (const FrameModel::ProviderChoice &choice : FrameModel::providerChoices()) {
        const QString id = choice.id;
        addToggle(plans, choice.title, m_model.providers().contains(id),
                  [this, id](bool on) { m_model.setProvider(id, on); });
    }
    plans->addSeparator();
    addToggle(plans, QStringLiteral("Show Logos"), m_model.showLogos(), [this](bool on) { m_model.setShowLogos(on); });
    addToggle(plans, QStringLiteral("Alert Before Plans Run Out"), m_model.planAlerts(),
              [this](bool on) { m_model.setPlanAlerts(on); });
}

void FrameMenu::addKeepOnTopToggle()
{
    addToggle(this, QStringLiteral("Keep Above Other Windows"), m_model.keepOnTop(),
              [this](bool on) { m_model.setKeepOnTop(on); });
}

void FrameMenu::addUpdates()
{
    UpdateChecker &updates = m_model.updates();
    if (const std::optional<UpdateRelease> release = updates.available()) {
        addAction(QStringLiteral("Download Tessarine ") + release->version + QStringLiteral("…"), this,
                  [&updates] { updates.download(); });
    }
    const bool checking = updates.isChecking();
    QAction *check =
        addAction(checking ? QStringLiteral("Checking for Updates…") : QStringLiteral("Check for Updates…"), this,
                  [&updates] { QCoro::connect(updates.check(true), &updates, [] {}); });
    check->setEnabled(!checking);
    addStartAtLoginToggle();
    QAction *quit = addAction(QStringLiteral("Quit Tessarine"), this, [this] { m_quit(); });
    quit->setShortcut(withControl(Qt::Key_Q));
}

void FrameMenu::addStartAtLoginToggle()
{
    // The autostart entry is the state; the menu reads it afresh each time it opens.
    addToggle(this, QStringLiteral("Start at Login"), Autostart::isEnabled(),
              [](bool on) { Autostart::setEnabled(on, QCoreApplication::applicationFilePath()); });
}

QMenu *FrameMenu::addPicker(const QString &title)
{
    auto *picker = new QMenu(title, this);
    m_submenus.append(picker);
    addMenu(picker);
    return picker;
}

QAction *FrameMenu::addChoice(QMenu *picker, const QString &title, bool current, std::function<void()> choose)
{
    QAction *choice = picker->addAction(title, this, std::move(choose));
    choice->setCheckable(true);
    choice->setChecked(current);
    auto *group = picker->findChild<QActionGroup *>(QString(), Qt::FindDirectChildrenOnly);
    if (!group)
        group = new QActionGroup(picker);
    group->addAction(choice);
    return choice;
}

QAction *FrameMenu::addToggle(QMenu *menu, const QString &title, bool on, std::function<void(bool)> change)
{
    QAction *toggle = menu->addAction(title);
    toggle->setCheckable(true);
    toggle->setChecked(on);
    connect(toggle, &QAction::toggled, this, std::move(change));
    return toggle;
}
