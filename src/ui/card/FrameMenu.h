// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QMenu>
#include <QPointer>
#include <functional>

class FrameModel;

// The program's command menu, shown by the tray icon and by a right click on the card: the
// refresh status, page navigation, every display option, the other windows, the AI plans to
// collect, updates and quit. It keeps nothing of its own: it is rebuilt from the model each
// time it opens, and every item writes through the model.
class FrameMenu : public QMenu
{
    Q_OBJECT

public:
    explicit FrameMenu(FrameModel &model, QWidget *parent = nullptr);

    // Reads the model afresh; runs on its own whenever the menu is about to open.
    void rebuild();

    // What a screen reader says as the menu opens: that it is the menu, and its status lines.
    QString openingWords() const;

    // What "Quit Tessarine" does; quits the application unless replaced.
    void setQuitAction(std::function<void()> quit) { m_quit = std::move(quit); }

protected:
    // While the menu is open, the shortcuts it shows choose their items.
    void keyPressEvent(QKeyEvent *event) override;

private:
    // The enabled item of this menu whose shortcut is `keys`, if any.
    QAction *actionForShortcut(const QKeySequence &keys) const;

    void addStatus();
    void addNavigation();
    void addWindows();
    void addRefresh();
    void addDisplayOptions();
    void addUpdates();

    void addPagePicker();
    void addCopyPageText();
    void addCyclePicker();
    void addTransitionPicker();
    void addColourToggle();
    void addLookPicker();
    void addSizePicker();
    void addPlansMenu();
    void addKeepOnTopToggle();
    void addStartAtLoginToggle();

    QMenu *addPicker(const QString &title);
    QAction *addChoice(QMenu *picker, const QString &title, bool current, std::function<void()> choose);
    QAction *addToggle(QMenu *menu, const QString &title, bool on, std::function<void(bool)> change);
    QStringList views() const;

    FrameModel &m_model;
    std::function<void()> m_quit;
    QList<QPointer<QMenu>> m_submenus;
};
