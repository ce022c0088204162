// SPDX-License-Identifier: GPL-3.0-or-later
#include "RunConfiguration.h"
#include "TestSupport.h"
#include "model/FrameModel.h"
#include "platform/CalendarStore.h"
#include "ui/common/CloseKeys.h"
#include "ui/common/FormSection.h"
#include "ui/common/UiStyle.h"
#include "ui/editor/CalendarSettings.h"
#include "ui/editor/CountdownSettings.h"
#include "ui/editor/EditorState.h"
#include "ui/editor/Inspector.h"
#include "ui/editor/LayoutEditor.h"
#include "ui/editor/LayoutOption.h"
#include "ui/editor/PageCanvas.h"
#include "ui/editor/PageImage.h"
#include "ui/editor/PageInspector.h"
#include "ui/editor/PageList.h"
#include "ui/editor/PageListModel.h"
#include "ui/editor/SlotOverlay.h"
#include "ui/editor/UnavailableView.h"
#include "ui/editor/WidgetInspector.h"
#include "ui/editor/WidgetRow.h"

#include <QAccessible>
#include <QDateEdit>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QScrollBar>
#include <QSettings>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>
#include <memory>

namespace {

QJsonObject pageJson(const QString &layout, const QJsonArray &widgets, const QString &title = {})
{
    QJsonObject page{{"layout", layout}, {"slots", widgets}};
    if (!title.isEmpty())
        page.insert("title", title);
    return page;
}

// The actions of a menu, sections and separators left out.
QStringList actionTexts(const QMenu &menu)
{
    QStringList texts;
    for (const QAction *action : menu.actions()) {
        if (!action->isSeparator())
            texts.append(action->text());
    }
    return texts;
}

QAction *actionNamed(const QMenu &menu, const QString &text)
{
    for (QAction *action : menu.actions()) {
        if (action->text() == text && !action->isSeparator())
            return action;
    }
    return nullptr;
}

} // namespace

class TestLayoutEditor : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void altArrowsMovePages_data();
    void altArrowsMovePages();
    void focusedWidgetRowStandsOut_data();
    void focusedWidgetRowStandsOut();
    void keysChooseAWidget_data();
    void keysChooseAWidget();
    void escapeClearsTheSlotBeforeClosing_data();
    void escapeClearsTheSlotBeforeClosing();
    void init();
    void cleanup();

    void showingSelectsTheFirstPageAndKeepsTheSelection();
    void configuredEditorSlot_data();
    void configuredEditorSlot();
    void choosingAnotherPageClearsTheSlot();
    void highlightedRowIsTheSelectedPage();
    void arrowKeysStopAtTheEnds();
    void escapeAndBackgroundClickClearTheSlot();
    void deleteEmptiesOnlyASelectedSlot();
    void undoAndRedoFollowTheHistory();
    void titleAndSubtitleLines();
    void overlaysSitOverTheSlots();
    void overlaysAreNamedButtons();
    void editedSlotShowsUpdatingUntilRendered();
    void picturesFollowThePagesTheyWereDrawnFrom();
    void slotMenuChoosesAndRemovesWidgets();
    void rowMenuAndDeleteRules();
    void addPageButtonsSelectTheNewPage();
    void draggingRowsMovesPages();
    void rowsKeepTheirSizeWhenTheListScrolls();
    void pictureOfAnotherLayoutIsNotShown();
    void linkButtonsReadOnADarkPanel();
    void layoutMenuChangesTheLayoutOnly();
    void inspectorChoosesBySlot_data();
    void inspectorChoosesBySlot();
    void inspectorToggleHidesTheColumn();
    void pageNameSavesOnReturnOnly();
    void pageInspectorCommands();
    void widgetInspectorListsAndChooses();
    void shortTitles_data();
    void shortTitles();
    void countdownSettings();
    void countdownWithUnparsableDateStartsThirtyDaysAhead();
    void calendarSettingsFollowAccess();
    void withoutCatalogueTheEditorSaysSo();

private:
    void writeSettings(const QJsonArray &pages);
    std::unique_ptr<FrameModel> makeModel(const std::optional<int> &editorSlot = std::nullopt,
                                          const QString &viewsDir = QStringLiteral(TESSARINE_TEST_VIEWS))
    {
        Configuration configuration = TestSupport::configuration(m_dir->filePath(QStringLiteral("screens")), viewsDir);
        configuration.editorSlot = editorSlot;
        return std::make_unique<FrameModel>(configuration);
    }
    QString settingsPath() const { return m_dir->filePath(QStringLiteral("settings.json")); }

    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestLayoutEditor::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    TestSupport::defaultsStore().clear();
    // Three pages: two halves, three columns, and one whose layout the catalogue lacks.
    writeSettings({pageJson("halves", {"github.year", QJsonValue()}),
                   pageJson("wideTwo", {"github.overview", "provider.claude", "provider.codex"}, "Mine"),
                   pageJson("unknown", {"countdown"})});
}

void TestLayoutEditor::cleanup()
{
    m_dir.reset();
}

void TestLayoutEditor::writeSettings(const QJsonArray &pages)
{
    const QJsonObject settings{{"providers", QJsonArray{"claude"}}, {"logos", true}, {"pages", pages}};
    QVERIFY(TestSupport::writeFile(settingsPath(), QJsonDocument(settings).toJson()));
}

void TestLayoutEditor::showingSelectsTheFirstPageAndKeepsTheSelection()
{
    auto model = makeModel();
    LayoutEditor editor(*model);
    QVERIFY(!editor.state().selection());
    editor.show();
    QCOMPARE(editor.state().selection(), model->pages().at(0).id);
    QCOMPARE(editor.currentDetail(), editor.canvas());
    QVERIFY(editor.state().showInspector());

    // Closing keeps the window and its selection; reopening does not reset it.
    editor.state().setSelection(model->pages().at(2).id);
    editor.close();
    editor.show();
    QCOMPARE(editor.state().selection(), model->pages().at(2).id);
}

void TestLayoutEditor::configuredEditorSlot_data()
{
    QTest::addColumn<std::optional<int>>("slot");

    QTest::newRow("one") << std::optional<int>(1);
    QTest::newRow("beyond the layout") << std::optional<int>(7);
    QTest::newRow("none") << std::optional<int>();
}

void TestLayoutEditor::configuredEditorSlot()
{
    QFETCH(std::optional<int>, slot);

    auto model = makeModel(slot);
    LayoutEditor editor(*model);
    editor.show();
    QCOMPARE(editor.state().selectedSlot(), slot);
    // Whatever was asked for, the editor keeps working: the arrows land inside the layout.
    QTest::keyClick(editor.canvas(), Qt::Key_Right);
    QVERIFY(*editor.state().selectedSlot() >= 0 && *editor.state().selectedSlot() <= 1);
}

void TestLayoutEditor::choosingAnotherPageClearsTheSlot()
{
    auto model = makeModel();
    LayoutEditor editor(*model);
    editor.show();
    editor.state().setSelectedSlot(1);

    editor.state().setSelection(model->pages().at(0).id); // the same page
    QCOMPARE(editor.state().selectedSlot(), 1);

    editor.pageList()->listView()->setCurrentIndex(editor.pageList()->listModel()->index(1));
    QCOMPARE(editor.state().selection(), model->pages().at(1).id);
    QVERIFY(!editor.state().selectedSlot());
}

void TestLayoutEditor::highlightedRowIsTheSelectedPage()
{
    auto model = makeModel();
    LayoutEditor editor(*model);
    editor.show();
    QListView *rows = editor.pageList()->listView();

    // A press dragged over other rows moves the highlight but not the current row.
    rows->selectionModel()->select(editor.pageList()->listModel()->index(2), QItemSelectionModel::ClearAndSelect);
    QCOMPARE(editor.state().selection(), model->pages().at(2).id);
    QCOMPARE(rows->currentIndex().row(), 2);

    // Clearing the highlight chooses no other page.
    rows->selectionModel()->clearSelection();
    QCOMPARE(editor.state().selection(), model->pages().at(2).id);

    editor.state().setSelection(model->pages().at(1).id);
    QCOMPARE(rows->selectionModel()->selectedIndexes(), QModelIndexList{editor.pageList()->listModel()->index(1)});
    editor.state().setSelection(std::nullopt);
    QVERIFY(rows->selectionModel()->selectedIndexes().isEmpty());
    QVERIFY(!editor.state().selection());
}

void TestLayoutEditor::arrowKeysStopAtTheEnds()
{
    auto model = makeModel();
    LayoutEditor editor(*model);
    editor.show();
    PageCanvas *canvas = editor.canvas();

    QTest::keyClick(canvas, Qt::Key_Left);
    QCOMPARE(editor.state().selectedSlot(), 0);
    editor.state().setSelectedSlot(std::nullopt);
    for (int press = 0; press < 4; ++press)
        QTest::keyClick(canvas, Qt::Key_Right);
    QCOMPARE(editor.state().selectedSlot(), 1);
    QTest::keyClick(canvas, Qt::Key_Up);
    QTest::keyClick(canvas, Qt::Key_Down);
    QCOMPARE(editor.state().selectedSlot(), 1);
    for (int press = 0; press < 4; ++press)
        QTest::keyClick(canvas, Qt::Key_Left);
    QCOMPARE(editor.state().selectedSlot(), 0);

    // The keys also work while a slot has the focus.
    QTest::keyClick(canvas->overlays().at(0), Qt::Key_Right);
    QCOMPARE(editor.state().selectedSlot(), 1);

    // A layout the catalogue lacks has one slot.
    editor.state().setSelection(model->pages().at(2).id);
    QTest::keyClick(canvas, Qt::Key_Right);
    QTest::keyClick(canvas, Qt::Key_Right);
    QCOMPARE(editor.state().selectedSlot(), 0);
    QCOMPARE(canvas->overlays().size(), 1);
}

void TestLayoutEditor::escapeClearsTheSlotBeforeClosing_data()
{
    QTest::addColumn<QString>("focus");
    QTest::newRow("focus in the inspector") << QStringLiteral("inspector");
    QTest::newRow("focus in the page list") << QStringLiteral("pages");
}

void TestLayoutEditor::escapeClearsTheSlotBeforeClosing()
{
    QFETCH(QString, focus);
    auto model = makeModel();
    LayoutEditor editor(*model);
    CloseKeys::install(editor);
    editor.show();
    QVERIFY(QTest::qWaitForWindowActive(&editor));
    editor.state().setSelectedSlot(1);
    QWidget *target =
        focus == QStringLiteral("pages") ? static_cast<QWidget *>(editor.pageList()) : editor.findChild<WidgetRow *>();
    QVERIFY(target);
    target->setFocus();

    QTest::keyClick(target, Qt::Key_Escape);
    QVERIFY(!editor.state().selectedSlot());
    QVERIFY(editor.isVisible());
    QTest::keyClick(target, Qt::Key_Escape);
    QVERIFY(!editor.isVisible());
}

void TestLayoutEditor::focusedWidgetRowStandsOut_data()
{
    QTest::addColumn<QColor>("window");
    QTest::addColumn<QColor>("text");
    QTest::newRow("light") << QColor(Qt::white) << QColor(Qt::black);
    QTest::newRow("dark") << QColor(40, 40, 40) << QColor(Qt::white);
}

void TestLayoutEditor::focusedWidgetRowStandsOut()
{
    QFETCH(QColor, window);
    QFETCH(QColor, text);
    QWidget host;
    QPalette colours = host.palette();
    colours.setColor(QPalette::Window, window);
    colours.setColor(QPalette::WindowText, text);
    host.setPalette(colours);
    Widget widget;
    widget.title = QStringLiteral("Countdown");
    auto *row = new WidgetRow(widget, &host);
    row->resize(240, row->sizeHint().height());
    host.resize(240, row->height());
    host.show();
    QVERIFY(QTest::qWaitForWindowActive(&host));
    row->setFocus();
    QVERIFY(row->hasFocus());

    // The middle of the row's top edge holds nothing but the focus mark.
    const QImage image = row->grab().toImage();
    const QColor mark = image.pixelColor(image.width() / 2, 1);
    QVERIFY2(UiStyle::contrast(mark, window) >= 3.0, qPrintable(mark.name()));
}

void TestLayoutEditor::keysChooseAWidget_data()
{
    QTest::addColumn<int>("key");
    QTest::newRow("Return") << int(Qt::Key_Return);
    QTest::newRow("Enter") << int(Qt::Key_Enter);
    QTest::newRow("Space") << int(Qt::Key_Space);
}

void TestLayoutEditor::keysChooseAWidget()
{
    QFETCH(int, key);
    auto model = makeModel();
    LayoutEditor editor(*model);
    editor.show();
    const QUuid id = model->pages().at(0).id;
    editor.state().setSelection(id);
    editor.state().setSelectedSlot(0);
    WidgetInspector *inspector = editor.inspector()->widgetInspector();
    QVERIFY(inspector);
    for (WidgetRow *row : inspector->rows()) {
        if (row->widget().id == QStringLiteral("countdown"))
            QTest::keyClick(row, Qt::Key(key));
    }
    QCOMPARE(model->document().page(id)->slotWidgets.at(0), QStringLiteral("countdown"));
}

void TestLayoutEditor::altArrowsMovePages_data()
{
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("to");
    QTest::newRow("down") << 0 << int(Qt::Key_Down) << 1;
    QTest::newRow("up") << 1 << int(Qt::Key_Up) << 0;
    QTest::newRow("up from the top stays") << 0 << int(Qt::Key_Up) << 0;
}

void TestLayoutEditor::altArrowsMovePages()
{
    QFETCH(int, from);
    QFETCH(int, key);
    QFETCH(int, to);
    auto model = makeModel();
    LayoutEditor editor(*model);
    editor.show();
    QVERIFY(QTest::qWaitForWindowActive(&editor));
    const QUuid id = model->pages().at(from).id;
    editor.state().setSelection(id);
    editor.pageList()->listView()->setFocus();
    QTest::keyClick(editor.pageList()->listView(), Qt::Key(key), Qt::AltModifier);
    QCOMPARE(model->pages().at(to).id, id);
    QCOMPARE(editor.state().selection(), std::optional<QUuid>(id));
}

void TestLayoutEditor::escapeAndBackgroundClickClearTheSlot()
{
    auto model = makeModel();
    LayoutEditor editor(*model);
    editor.show();
    PageCanvas *canvas = editor.canvas();
    canvas->resize(900, 600);

    editor.state().setSelectedSlot(1);
    QCOMPARE(canvas->hint(), QStringLiteral("Choose a widget in the inspector. Press Delete to empty the slot."));
    QTest::keyClick(canvas, Qt::Key_Escape);
    QVERIFY(!editor.state().selectedSlot());
    QCOMPARE(canvas->hint(), QStringLiteral("Click a slot to choose its widget."));

    QTest::mouseClick(canvas->overlays().at(1), Qt::LeftButton, {}, canvas->overlays().at(1)->rect().center());
    QCOMPARE(editor.state().selectedSlot(), 1);
    QVERIFY(canvas->overlays().at(1)->isSelected());
    QTest::mouseClick(canvas, Qt::LeftButton, {}, QPoint(5, 5));
    QVERIFY(!editor.state().selectedSlot());
    QVERIFY(!canvas->overlays().at(1)->isSelected());
}

void TestLayoutEditor::deleteEmptiesOnlyASelectedSlot()
{
    auto model = makeModel();
    LayoutEditor editor(*model);
    editor.show();
    PageCanvas *canvas = editor.canvas();

    QTest::keyClick(canvas, Qt::Key_Delete);
    QVERIFY(model->document().history().undoStack().isEmpty());

    // A slot beyond the layout holds nothing to empty.
    editor.state().setSelectedSlot(5);
    QTest::keyClick(canvas, Qt::Key_Delete);
    QVERIFY(model->document().history().undoStack().isEmpty());
    QCOMPARE(model->pages().at(0).slotWidgets.size(), 2);

    editor.state().setSelectedSlot(0);
    QTest::keyClick(canvas, Qt::Key_Delete);
    QCOMPARE(model->pages().at(0).slotWidgets.at(0), std::nullopt);
    QCOMPARE(model->document().history().undoStack().size(), 1);
    QCOMPARE(editor.state().selectedSlot(), 0);
}

void TestLayoutEditor::undoAndRedoFollowTheHistory()
{
    auto model = makeModel();
    LayoutEditor editor(*model);
    editor.show();
    QVERIFY(!editor.undoAction()->isEnabled());
    QVERIFY(!editor.redoAction()->isEnabled());
    QCOMPARE(editor.undoAction()->shortcut(), QKeySequence(QStringLiteral("Ctrl+Z")));
    QCOMPARE(editor.redoAction()->shortcut(), QKeySequence(QStringLiteral("Ctrl+Shift+Z")));

    const QUuid id = model->pages().at(0).id;
    model->setWidget(QStringLiteral("countdown"), id, 1);
    QVERIFY(editor.undoAction()->isEnabled());
    editor.undoAction()->trigger();
    QCOMPARE(model->document().page(id)->slotWidgets.at(1), std::nullopt);
    QVERIFY(!editor.undoAction()->isEnabled());
    QVERIFY(editor.redoAction()->isEnabled());
    editor.redoAction()->trigger();
    QCOMPARE(model->document().page(id)->slotWidgets.at(1), QStringLiteral("countdown"));
    // Edits keep the page selected: identifiers survive them.
    QCOMPARE(editor.state().selection(), id);
}

void TestLayoutEditor::titleAndSubtitleLines()
{
    auto model = makeModel();
    LayoutEditor editor(*model);
    QCOMPARE(editor.navigationTitle(), QStringLiteral("Edit Layout"));
    editor.show();
    QCOMPARE(editor.navigationTitle(), QStringLiteral("Year"));
    QCOMPARE(editor.windowTitle(), QStringLiteral("Edit Layout"));
    editor.state().setSelection(model->pages().at(1).id);
    QCOMPARE(editor.navigationTitle(), QStringLiteral("Mine"));
    QVERIFY(!model->isRefreshing());
    QCOMPARE(editor.navigationSubtitle(), QStringLiteral("Not updated yet"));

    model->setTitle(QString(), model->pages().at(1).id);
    QCOMPARE(editor.navigationTitle(), QStringLiteral("GitHub · Claude · Codex"));
    QVERIFY(model->isRefreshing()); // the edit started a refresh
    QCOMPARE(editor.navigationSubtitle(), QStringLiteral("Updating preview…"));
}

void TestLayoutEditor::overlaysSitOverTheSlots()
{
    auto model = makeModel();
    LayoutEditor editor(*model);
    editor.show();
    editor.state().setSelection(model->pages().at(1).id);
    PageCanvas *canvas = editor.canvas();
    canvas->resize(1000, 700);

    // The page: the smaller of (700 − 80) × 2.8333 and 1000 − 48 wide.
    const QRectF page = canvas->pageRect();
    QCOMPARE(page.width(), 952.0);
    QVERIFY(qAbs(page.height() - 952.0 / 2.8333333333333335) < 0.001);

    const QList<QRectF> rects = PageCanvas::slotRects(*model->catalogue(), model->pages().at(1));
    QCOMPARE(canvas->overlays().size(), 3);
    for (int i = 0; i < 3; ++i) {
        const QRectF expected(page.left() + rects.at(i).x() * page.width() - 8,
                              page.top() + rects.at(i).y() * page.height() - 6, rects.at(i).width() * page.width() + 16,
                              rects.at(i).height() * page.height() + 12);
        QCOMPARE(canvas->overlays().at(i)->geometry(), expected.toRect());
    }
}

void TestLayoutEditor::overlaysAreNamedButtons()
{
    auto model = makeModel();
    LayoutEditor editor(*model);
    editor.show();
    const QList<SlotOverlay *> &overlays = editor.canvas()->overlays();
    QCOMPARE(overlays.size(), 2);
    QCOMPARE(overlays.at(0)->accessibleName(), QStringLiteral("Slot 1: GitHub: Contribution Year"));
    QCOMPARE(overlays.at(1)->accessibleName(), QStringLiteral("Slot 2: empty"));
    QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(overlays.at(1));
    QVERIFY(accessible);
    QCOMPARE(accessible->role(), QAccessible::Button);
    QCOMPARE(accessible->text(QAccessible::Name), QStringLiteral("Slot 2: empty"));
    QCOMPARE(accessible->childCount(), 0);

    model->setWidget(QStringLiteral("countdown"), model->pages().at(0).id, 1);
    QCOMPARE(overlays.at(1)->accessibleName(), QStringLiteral("Slot 2: Countdown"));
    // Space presses the focused slot, as a click would.
    overlays.at(1)->setFocus();
    QTest::keyClick(overlays.at(1), Qt::Key_Space);
    QCOMPARE(editor.state().selectedSlot(), 1);
}

void TestLayoutEditor::editedSlotShowsUpdatingUntilRendered()
{
    auto model = makeModel();
    LayoutEditor editor(*model);
    editor.show();
    const QList<SlotOverlay *> &overlays = editor.canvas()->overlays();
    // The images of the last run count as drawn from the pages loaded at start.
    QVERIFY(!overlays.at(0)->isUpdating());
    QVERIFY(!overlays.at(1)->isUpdating());

    model->setWidget(QStringLiteral("countdown"), model->pages().at(0).id, 1);
    QVERIFY(!overlays.at(0)->isUpdating());
    QVERIFY(overlays.at(1)->isUpdating());

    // Back to what was drawn: nothing is out of date any more.
    model->undo();
    QVERIFY(!overlays.at(1)->isUpdating());

    // An emptied slot shows the empty look, not the "Updating…" layer.
    model->setWidget(std::nullopt, model->pages().at(0).id, 0);
    QVERIFY(!overlays.at(0)->isUpdating());
    QVERIFY(!overlays.at(0)->widget());
}

void TestLayoutEditor::picturesFollowThePagesTheyWereDrawnFrom()
{
    // The last run drew page0, page1 and page2 from the three pages loaded at start.
    const QString screens = m_dir->filePath(QStringLiteral("screens"));
    QVERIFY(QDir().mkpath(screens));
    const QDir fixtures(TestSupport::fixturePath(QStringLiteral("ui/screens")));
    for (const QString &name : fixtures.entryList(QDir::Files))
        QVERIFY(QFile::copy(fixtures.filePath(name), QDir(screens).filePath(name)));
    auto model = makeModel();
    const QList<Page> loaded = model->pages();
    const QImage first = model->image(QStringLiteral("page0"), false);
    const QImage second = model->image(QStringLiteral("page1"), false);
    QVERIFY(!first.isNull() && !second.isNull() && first != second);
    QCOMPARE(PageImage::lastPicture(*model, loaded.at(0), false), first);

    // Moved before the refresh has run, each page keeps the picture drawn from it rather than
    // showing the one drawn for the page that stood in its place.
    model->movePages({0}, 2);
    QCOMPARE(model->pages().at(1).id, loaded.at(0).id);
    QCOMPARE(PageImage::lastPicture(*model, model->pages().at(1), false), first);
    QCOMPARE(PageImage::lastPicture(*model, model->pages().at(0), false), second);

    // A page added since has no picture yet.
    const QUuid added = model->addPage(loaded.at(1).id);
    QVERIFY(PageImage::lastPicture(*model, *model->document().page(added), false).isNull());
}

void TestLayoutEditor::slotMenuChoosesAndRemovesWidgets()
{
    auto model = makeModel();
    LayoutEditor editor(*model);
    editor.show();
    const QUuid id = model->pages().at(0).id;
    SlotOverlay *empty = editor.canvas()->overlays().at(1);

    std::unique_ptr<QMenu> menu(empty->makeMenu());
    QCOMPARE(actionTexts(*menu), QStringList{"Choose Widget"});
    QMenu *choose = menu->actions().first()->menu();
    QVERIFY(choose);
    QStringList sections;
    for (const QAction *action : choose->actions()) {
        if (action->isSeparator())
            sections.append(action->text());
    }
    QCOMPARE(sections, QStringList({"GitHub", "AI plans", "Voice", "Your day"}));
    QCOMPARE(actionTexts(*choose).size(), model->catalogue()->widgets.size());

    actionNamed(*choose, QStringLiteral("Next 7 Days"))->trigger();
    QCOMPARE(model->document().page(id)->slotWidgets.at(1), QStringLiteral("calendar.next"));

    menu.reset(empty->makeMenu());
    QCOMPARE(actionTexts(*menu), QStringList({"Choose Widget", "Remove Widget"}));
    actionNamed(*menu, QStringLiteral("Remove Widget"))->trigger();
    QCOMPARE(model->document().page(id)->slotWidgets.at(1), std::nullopt);
    QCOMPARE(model->document().history().undoStack().size(), 2);
}

void TestLayoutEditor::rowMenuAndDeleteRules()
{
    auto model = makeModel();
    LayoutEditor editor(*model);
    editor.show();
    PageList *list = editor.pageList();
    const QUuid first = model->pages().at(0).id;
    const QUuid second = model->pages().at(1).id;

    // Deleting another page keeps the selection.
    std::unique_ptr<QMenu> menu(list->rowMenu(1));
    QCOMPARE(actionTexts(*menu), QStringList({"New Page After", "Duplicate", "Delete"}));
    actionNamed(*menu, QStringLiteral("Delete"))->trigger();
    QCOMPARE(model->pages().size(), 2);
    QVERIFY(!model->document().page(second));
    QCOMPARE(editor.state().selection(), first);

    // Deleting the selected page selects the first remaining one.
    menu.reset(list->rowMenu(0));
    actionNamed(*menu, QStringLiteral("Delete"))->trigger();
    QCOMPARE(model->pages().size(), 1);
    QCOMPARE(editor.state().selection(), model->pages().at(0).id);

    menu.reset(list->rowMenu(0));
    QVERIFY(!actionNamed(*menu, QStringLiteral("Delete"))->isEnabled());

    actionNamed(*menu, QStringLiteral("Duplicate"))->trigger();
    QCOMPARE(model->pages().size(), 2);
    QCOMPARE(editor.state().selection(), model->pages().at(1).id);
    QCOMPARE(list->listView()->currentIndex().row(), 1);

    menu.reset(list->rowMenu(0));
    actionNamed(*menu, QStringLiteral("New Page After"))->trigger();
    QCOMPARE(model->pages().size(), 3);
    QCOMPARE(editor.state().selection(), model->pages().at(1).id);
    QCOMPARE(model->pages().at(1).layout, QStringLiteral("halves"));
}

void TestLayoutEditor::addPageButtonsSelectTheNewPage()
{
    auto model = makeModel();
    LayoutEditor editor(*model);
    editor.show();
    editor.state().setSelection(model->pages().at(0).id);

    editor.pageList()->addPageButton()->click();
    QCOMPARE(model->pages().size(), 4);
    QCOMPARE(editor.state().selection(), model->pages().at(1).id);
    QCOMPARE(editor.pageList()->addPageButton()->toolTip(), QStringLiteral("Add a page after the selected one"));

    // With no page selected, the detail column offers to add one at the end.
    editor.state().setSelection(std::nullopt);
    auto *noPage = qobject_cast<UnavailableView *>(editor.currentDetail());
    QVERIFY(noPage);
    QCOMPARE(noPage->title(), QStringLiteral("No Page Selected"));
    QCOMPARE(qobject_cast<UnavailableView *>(editor.currentInspectorColumn())->title(),
             QStringLiteral("Nothing Selected"));
    noPage->findChild<QPushButton *>()->click();
    QCOMPARE(model->pages().size(), 5);
    QCOMPARE(editor.state().selection(), model->pages().at(4).id);
    QCOMPARE(editor.currentDetail(), editor.canvas());
}

void TestLayoutEditor::rowsKeepTheirSizeWhenTheListScrolls()
{
    auto model = makeModel();
    LayoutEditor editor(*model);
    editor.resize(1000, 620);
    editor.show();
    QVERIFY(QTest::qWaitForWindowExposed(&editor));
    QListView *list = editor.pageList()->listView();
    QScrollBar *scrollBar = list->verticalScrollBar();
    QTRY_VERIFY(!scrollBar->isVisible());
    const QRect first = list->visualRect(list->model()->index(0, 0));

    // Enough pages for the list to scroll: the rows keep their size, so nothing under the
    // pointer moves when the scroll bar appears after an edit.
    while (model->pages().size() < 12)
        model->addPage(model->pages().last().id);
    QTRY_VERIFY(scrollBar->isVisible());
    QCOMPARE(list->visualRect(list->model()->index(0, 0)).height(), first.height());
    QCOMPARE(list->visualRect(list->model()->index(1, 0)).top(), first.bottom() + 1);
    QTRY_VERIFY_WITH_TIMEOUT(!model->isRefreshing(), 20000);
}

void TestLayoutEditor::pictureOfAnotherLayoutIsNotShown()
{
    const QString screens = m_dir->filePath(QStringLiteral("screens"));
    QVERIFY(QDir().mkpath(screens));
    const QDir fixtures(TestSupport::fixturePath(QStringLiteral("ui/screens")));
    for (const QString &name : fixtures.entryList(QDir::Files))
        QVERIFY(QFile::copy(fixtures.filePath(name), QDir(screens).filePath(name)));
    auto model = makeModel();
    const Page first = model->pages().at(0);
    QVERIFY(!PageImage::lastPicture(*model, first, false).isNull());

    // A new layout puts the slots where the old picture has other columns: its text would show
    // between them. Until the page is drawn again it shows no picture.
    const QString other =
        first.layout == QStringLiteral("halves") ? QStringLiteral("thirds") : QStringLiteral("halves");
    model->updatePage(first.id, [&](Page &page) { page.setLayout(*model->catalogue()->layout(other)); });
    QVERIFY(PageImage::lastPicture(*model, *model->document().page(first.id), false).isNull());
    // A change of widgets alone keeps the picture: the slots that changed say "Updating…".
    const Page second = model->pages().at(1);
    model->setWidget(QStringLiteral("today.date"), second.id, 0);
    QVERIFY(!PageImage::lastPicture(*model, *model->document().page(second.id), false).isNull());
    QTRY_VERIFY_WITH_TIMEOUT(!model->isRefreshing(), 20000);
}

void TestLayoutEditor::linkButtonsReadOnADarkPanel()
{
    QPalette dark;
    dark.setColor(QPalette::Window, QColor(0x32, 0x32, 0x35));
    dark.setColor(QPalette::WindowText, QColor(235, 235, 240));
    dark.setColor(QPalette::Highlight, QColor(0x12, 0x60, 0x8a));
    dark.setColor(QPalette::Link, QColor(0x12, 0x60, 0x8a));
    FormSection section;
    section.setPalette(dark);
    QPushButton *duplicate = section.addButtonRow(QStringLiteral("Duplicate Page"));
    const QColor text = duplicate->palette().color(QPalette::ButtonText);
    QVERIFY2(UiStyle::contrast(text, UiStyle::formPanel(dark)) >= 4.5, qPrintable(text.name()));
}

void TestLayoutEditor::draggingRowsMovesPages()
{
    auto model = makeModel();
    LayoutEditor editor(*model);
    editor.show();
    PageListModel *rows = editor.pageList()->listModel();
    const QList<Page> before = model->pages();

    // Onto its own place, or just below itself: nothing moves and nothing is recorded.
    QVERIFY(!rows->moveRows({}, 1, 1, {}, 1));
    QVERIFY(!rows->moveRows({}, 1, 1, {}, 2));
    std::unique_ptr<QMimeData> dragged(rows->mimeData({rows->index(1)}));
    QVERIFY(!rows->dropMimeData(dragged.get(), Qt::MoveAction, 1, 0, {}));
    QCOMPARE(model->pages(), before);
    QVERIFY(model->document().history().undoStack().isEmpty());

    QVERIFY(rows->moveRows({}, 0, 1, {}, 2));
    QCOMPARE(model->pages(), QList<Page>({before.at(1), before.at(0), before.at(2)}));

    dragged.reset(rows->mimeData({rows->index(2)}));
    rows->dropMimeData(dragged.get(), Qt::MoveAction, 0, 0, {});
    QCOMPARE(model->pages(), QList<Page>({before.at(2), before.at(1), before.at(0)}));
    // Below the last row: to the end.
    dragged.reset(rows->mimeData({rows->index(0)}));
    rows->dropMimeData(dragged.get(), Qt::MoveAction, -1, -1, {});
    QCOMPARE(model->pages(), QList<Page>({before.at(1), before.at(0), before.at(2)}));
    QCOMPARE(model->document().history().undoStack().size(), 3);
    QCOMPARE(rows->data(rows->index(2), Qt::DisplayRole).toString(), QStringLiteral("Countdown"));
}

void TestLayoutEditor::layoutMenuChangesTheLayoutOnly()
{
    auto model = makeModel();
    LayoutEditor editor(*model);
    editor.show();
    QVERIFY(editor.layoutItem()->isVisible());
    const QUuid id = model->pages().at(0).id;

    Q_EMIT editor.layoutMenu()->aboutToShow();
    QCOMPARE(actionTexts(*editor.layoutMenu()).size(), model->catalogue()->layouts.size());
    QAction *halves = actionNamed(*editor.layoutMenu(), QStringLiteral("Two Halves"));
    QVERIFY(halves->isChecked());
    halves->trigger();
    QVERIFY(model->document().history().undoStack().isEmpty());

    actionNamed(*editor.layoutMenu(), QStringLiteral("Three Thirds"))->trigger();
    QCOMPARE(model->document().page(id)->layout, QStringLiteral("thirds"));
    QCOMPARE(model->document().page(id)->slotWidgets.size(), 3);
    QCOMPARE(editor.canvas()->overlays().size(), 3);
    QCOMPARE(model->document().history().undoStack().size(), 1);

    editor.state().setSelection(std::nullopt);
    QVERIFY(!editor.layoutItem()->isVisible());
}

void TestLayoutEditor::inspectorChoosesBySlot_data()
{
    QTest::addColumn<int>("page");
    QTest::addColumn<std::optional<int>>("slot");
    QTest::addColumn<bool>("widgetInspector");

    QTest::newRow("no slot") << 0 << std::optional<int>() << false;
    QTest::newRow("second of two") << 0 << std::optional<int>(1) << true;
    QTest::newRow("slot 2 of a two-column page") << 0 << std::optional<int>(2) << false;
    QTest::newRow("third of three") << 1 << std::optional<int>(2) << true;
    QTest::newRow("layout the catalogue lacks") << 2 << std::optional<int>(0) << false;
}

void TestLayoutEditor::inspectorChoosesBySlot()
{
    QFETCH(int, page);
    QFETCH(std::optional<int>, slot);
    QFETCH(bool, widgetInspector);

    auto model = makeModel();
    LayoutEditor editor(*model);
    editor.show();
    editor.state().setSelection(model->pages().at(page).id);
    editor.state().setSelectedSlot(slot);
    QCOMPARE(editor.inspector()->widgetInspector() != nullptr, widgetInspector);
    QCOMPARE(editor.inspector()->pageInspector() != nullptr, !widgetInspector);
}

void TestLayoutEditor::inspectorToggleHidesTheColumn()
{
    auto model = makeModel();
    LayoutEditor editor(*model);
    editor.show();
    QVERIFY(editor.inspector()->isVisible());
    QCOMPARE(editor.inspectorAction()->toolTip(), QStringLiteral("Show or hide the inspector"));
    editor.inspectorAction()->trigger();
    QVERIFY(!editor.state().showInspector());
    QVERIFY(!editor.inspector()->isVisible());
    editor.inspectorAction()->trigger();
    QVERIFY(editor.inspector()->isVisible());
}

void TestLayoutEditor::pageNameSavesOnReturnOnly()
{
    auto model = makeModel();
    LayoutEditor editor(*model);
    editor.show();
    const QUuid id = model->pages().at(1).id;
    editor.state().setSelection(id);
    QLineEdit *name = editor.inspector()->pageInspector()->nameField();
    QCOMPARE(name->text(), QStringLiteral("Mine"));

    name->setText(QStringLiteral("Work"));
    editor.pageList()->listView()->setFocus();
    QCOMPARE(model->document().page(id)->title, QStringLiteral("Mine"));

    QTest::keyClick(name, Qt::Key_Return);
    QCOMPARE(model->document().page(id)->title, QStringLiteral("Work"));

    name->clear();
    QTest::keyClick(name, Qt::Key_Return);
    QVERIFY(!model->document().page(id)->title);
    QCOMPARE(name->placeholderText(), QStringLiteral("GitHub · Claude · Codex"));

    // Undo shows the restored title in the field.
    model->undo();
    QCOMPARE(name->text(), QStringLiteral("Work"));

    // Another page fills the field with its own title (none here).
    editor.state().setSelection(model->pages().at(0).id);
    QCOMPARE(editor.inspector()->pageInspector()->nameField()->text(), QString());
}

void TestLayoutEditor::pageInspectorCommands()
{
    writeSettings({pageJson("halves", {"github.year", QJsonValue()})});
    auto model = makeModel();
    LayoutEditor editor(*model);
    editor.show();
    PageInspector *inspector = editor.inspector()->pageInspector();
    QVERIFY(!inspector->deleteButton()->isEnabled());

    // The layout grid: one option per catalogue layout, the page's own marked.
    QCOMPARE(inspector->layoutOptions().size(), model->catalogue()->layouts.size());
    QStringList current;
    for (const LayoutOption *option : inspector->layoutOptions()) {
        if (option->isCurrent())
            current.append(option->layout().id);
    }
    QCOMPARE(current, QStringList{"halves"});
    inspector->layoutOptions().at(3)->click();
    QCOMPARE(model->pages().at(0).layout, model->catalogue()->layouts.at(3).id);
    QVERIFY(inspector->layoutOptions().at(3)->isCurrent());
    QVERIFY(!inspector->layoutOptions().at(0)->isCurrent());

    inspector->duplicateButton()->click();
    QCOMPARE(model->pages().size(), 2);
    QCOMPARE(editor.state().selection(), model->pages().at(1).id);

    inspector = editor.inspector()->pageInspector();
    QVERIFY(inspector->deleteButton()->isEnabled());
    inspector->deleteButton()->click();
    QCOMPARE(model->pages().size(), 1);
    QCOMPARE(editor.state().selection(), model->pages().at(0).id);

    inspector = editor.inspector()->pageInspector();
    inspector->resetButton()->click();
    QCOMPARE(model->pages(), model->catalogue()->defaultPages);
    QCOMPARE(editor.state().selection(), model->pages().at(0).id);
    model->undo();
    QCOMPARE(model->pages().size(), 1);
}

void TestLayoutEditor::widgetInspectorListsAndChooses()
{
    auto model = makeModel();
    LayoutEditor editor(*model);
    editor.show();
    const QUuid id = model->pages().at(1).id;
    editor.state().setSelection(id);
    editor.state().setSelectedSlot(1);
    WidgetInspector *inspector = editor.inspector()->widgetInspector();
    QVERIFY(inspector);
    QCOMPARE(inspector->slotText(), QStringLiteral("2 of 3"));
    QCOMPARE(inspector->rows().size(), model->catalogue()->widgets.size());

    QStringList current;
    for (const WidgetRow *row : inspector->rows()) {
        if (row->isCurrent())
            current.append(row->widget().id);
    }
    QCOMPARE(current, QStringList{"provider.claude"});
    QVERIFY(inspector->emptyButton()->isEnabled());
    QVERIFY(!inspector->settings());

    for (WidgetRow *row : inspector->rows()) {
        if (row->widget().id == QStringLiteral("countdown"))
            row->click();
    }
    QCOMPARE(model->document().page(id)->slotWidgets.at(1), QStringLiteral("countdown"));
    QVERIFY(qobject_cast<CountdownSettings *>(inspector->settings()));
    // Right under the slot section.
    QCOMPARE(inspector->sections().at(1), inspector->settings());

    inspector->emptyButton()->click();
    QCOMPARE(model->document().page(id)->slotWidgets.at(1), std::nullopt);
    QVERIFY(!inspector->emptyButton()->isEnabled());
    QVERIFY(!inspector->settings());
    for (const WidgetRow *row : inspector->rows())
        QVERIFY(!row->isCurrent());
}

void TestLayoutEditor::shortTitles_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("group");
    QTest::addColumn<QString>("expected");

    QTest::newRow("prefix removed") << "GitHub: Contribution Year"
                                    << "GitHub"
                                    << "Contribution Year";
    QTest::newRow("first letter raised") << "GitHub: recent activity"
                                         << "GitHub"
                                         << "Recent activity";
    QTest::newRow("only the prefix") << "GitHub: "
                                     << "GitHub"
                                     << "";
    QTest::newRow("no prefix") << "All AI Plans"
                               << "AI plans"
                               << "All AI Plans";
    QTest::newRow("prefix without the space") << "GitHub:Year"
                                              << "GitHub"
                                              << "GitHub:Year";
    QTest::newRow("another group's prefix") << "GitHub: Year"
                                            << "Your day"
                                            << "GitHub: Year";
}

void TestLayoutEditor::shortTitles()
{
    QFETCH(QString, title);
    QFETCH(QString, group);
    QFETCH(QString, expected);

    Widget widget;
    widget.title = title;
    widget.group = group;
    QCOMPARE(WidgetRow::shortTitle(widget), expected);
}

void TestLayoutEditor::countdownSettings()
{
    auto model = makeModel();
    model->setCountdown(Countdown{QStringLiteral("Launch"), QStringLiteral("2031-05-04")});
    QFile::remove(settingsPath());

    CountdownSettings settings(*model);
    QCOMPARE(settings.titleField()->text(), QStringLiteral("Launch"));
    QCOMPARE(settings.dateField()->date(), QDate(2031, 5, 4));
    // Showing the stored countdown saves nothing.
    QVERIFY(!QFileInfo::exists(settingsPath()));

    settings.titleField()->clear();
    QTest::keyClick(settings.titleField(), Qt::Key_Return);
    QCOMPARE(model->countdown(), Countdown({QStringLiteral("Countdown"), QStringLiteral("2031-05-04")}));
    QVERIFY(QFileInfo::exists(settingsPath()));

    settings.titleField()->setText(QStringLiteral("Holiday"));
    settings.dateField()->setDate(QDate(2031, 12, 24));
    QCOMPARE(model->countdown(), Countdown({QStringLiteral("Holiday"), QStringLiteral("2031-12-24")}));
}

void TestLayoutEditor::countdownWithUnparsableDateStartsThirtyDaysAhead()
{
    auto model = makeModel();
    model->setCountdown(Countdown{QStringLiteral("Launch"), QStringLiteral("4 May 2031")});
    const QDate before = QDateTime::currentDateTime().addSecs(2592000).date();
    CountdownSettings settings(*model);
    const QDate after = QDateTime::currentDateTime().addSecs(2592000).date();
    QVERIFY(settings.dateField()->date() == before || settings.dateField()->date() == after);
    QCOMPARE(settings.titleField()->text(), QStringLiteral("Launch"));
    QCOMPARE(model->countdown()->date, QStringLiteral("4 May 2031"));

    QVERIFY(!CountdownSettings::parseDate(QStringLiteral("2031-02-30")));
    QVERIFY(!CountdownSettings::parseDate(QString()));
    QCOMPARE(CountdownSettings::parseDate(QStringLiteral("2031-02-28")), QDate(2031, 2, 28));
}

void TestLayoutEditor::calendarSettingsFollowAccess()
{
    auto model = makeModel();
    CalendarSettings settings(*model);
    CalendarStore &store = model->eventStore();
    QCOMPARE(store.authorization(), CalendarStore::Authorization::NotDetermined);
    QCOMPARE(settings.message(), QStringLiteral("Tessarine needs permission to read your calendars."));
    QCOMPARE(settings.allowButton()->text(), QStringLiteral("Allow Calendar Access…"));
    QVERIFY(settings.allowButton()->isVisibleTo(&settings));

    store.setAuthorization(CalendarStore::Authorization::Denied);
    QCOMPARE(settings.message(), QStringLiteral("Calendar access is off. Turn it on in Tessarine’s privacy settings."));
    QVERIFY(settings.privacyButton()->isVisibleTo(&settings));
    QVERIFY(!settings.allowButton()->isVisibleTo(&settings));

    store.setAuthorization(CalendarStore::Authorization::FullAccess);
    QCOMPARE(settings.message(), QStringLiteral("Showing the next 7 days from all your calendars. Only titles and "
                                                "times are used, and they stay on this computer."));
    QVERIFY(!settings.privacyButton()->isVisibleTo(&settings));
}

void TestLayoutEditor::withoutCatalogueTheEditorSaysSo()
{
    auto model = makeModel(std::nullopt, m_dir->filePath(QStringLiteral("no-views")));
    QVERIFY(!model->catalogue());
    LayoutEditor editor(*model);
    editor.show();
    auto *detail = qobject_cast<UnavailableView *>(editor.currentDetail());
    QVERIFY(detail);
    QCOMPARE(detail->title(), QStringLiteral("Can’t Find the Widget List"));
    QVERIFY(!qobject_cast<Inspector *>(editor.currentInspectorColumn()));
    QCOMPARE(editor.navigationTitle(), QStringLiteral("Edit Layout"));
    QVERIFY(!editor.layoutItem()->isVisible());
    QCOMPARE(editor.pageList()->listModel()->data(editor.pageList()->listModel()->index(0)).toString(),
             QStringLiteral("Page"));
    // The keys change nothing they cannot.
    QTest::keyClick(editor.canvas(), Qt::Key_Right);
    QTest::keyClick(editor.canvas(), Qt::Key_Delete);
    QVERIFY(model->document().history().undoStack().isEmpty());
}

QTEST_MAIN(TestLayoutEditor)
#include "TestLayoutEditor.moc"
