// SPDX-License-Identifier: GPL-3.0-or-later
// The program's windows on a real X server with a 1366 × 768 screen (see CMakeLists.txt): they
// open inside the screen, also from a frame remembered on a larger one and at scale 2 (the suite
// runs a second time with QT_SCALE_FACTOR=2, where only the rows of that scale run), and they
// answer the keyboard: Escape and Ctrl+W close them, focus shows, and the welcome flow's keys do
// what they look like they do.

#include "RunConfiguration.h"
#include "TestSupport.h"
#include "model/FrameModel.h"
#include "services/ConnectionsState.h"
#include "ui/app/App.h"
#include "ui/card/WindowFrameStore.h"
#include "ui/common/WindowFit.h"
#include "ui/connections/ConnectionsView.h"
#include "ui/editor/EditorState.h"
#include "ui/editor/Inspector.h"
#include "ui/editor/LayoutEditor.h"
#include "ui/editor/PageCanvas.h"
#include "ui/editor/SlotOverlay.h"
#include "ui/editor/WidgetInspector.h"
#include "ui/editor/WidgetRow.h"
#include "ui/welcome/OnboardingView.h"
#include "ui/welcome/PagesStep.h"
#include "ui/welcome/StartOptionWidget.h"
#include "ui/welcome/ToolRowWidget.h"
#include "ui/welcome/ToolsStep.h"
#include "ui/welcome/WelcomeFooter.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QDateEdit>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>

using Start = StartPages::Start;

namespace {

constexpr int waitMs = 20000;
const QSize smallScreen(1366, 768);

enum class Window
{
    Editor,
    Connections,
    Welcome,
};

QWidget *open(App &app, Window window)
{
    switch (window) {
    case Window::Editor:
        app.showEditor();
        return app.editorWindow();
    case Window::Connections:
        app.showConnections();
        return app.connectionsWindow();
    case Window::Welcome:
        app.showWelcome();
        return app.welcomeWindow();
    }
    return nullptr;
}

// What a person would call the control: its text, else its accessible name.
QString nameOf(const QWidget *widget)
{
    if (const auto *button = qobject_cast<const QAbstractButton *>(widget); button && !button->text().isEmpty())
        return button->text();
    return widget->accessibleName();
}

// The widget drawn with and without keyboard focus; two null pictures when the focus would not
// move.
std::pair<QImage, QImage> drawnWithAndWithoutFocus(QWidget *widget, QWidget *elsewhere)
{
    widget->setFocus(Qt::TabFocusReason);
    if (!QTest::qWaitFor([widget] { return widget->hasFocus(); }))
        return {};
    const QImage focused = widget->grab().toImage();
    elsewhere->setFocus(Qt::TabFocusReason);
    if (!QTest::qWaitFor([widget] { return !widget->hasFocus(); }))
        return {};
    return {focused, widget->grab().toImage()};
}

// The scale this run's screen is drawn at.
double screenScale()
{
    return QGuiApplication::primaryScreen()->devicePixelRatio();
}

} // namespace

Q_DECLARE_METATYPE(Window)

class TestWindowsOnSmallScreen : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void windowsOpenInsideTheScreen_data();
    void windowsOpenInsideTheScreen();
    void connectionsShowEverySectionAtALargeFont();
    void editorInspectorFitsAtALargeFont_data();
    void editorInspectorFitsAtALargeFont();
    void escapeAndCtrlWClose_data();
    void escapeAndCtrlWClose();
    void escapeOnTheCanvasDropsTheSlotFirst();
    void upAndDownMoveBetweenStartingSets();
    void spaceTicksTheFocusedTool();
    void everyTabStopIsAVisibleNamedControl();
    void focusIsDrawn();

private:
    void useFontSize(double points);
    // The test run's configuration, with the welcome window opening at `step`.
    static Configuration welcomeAt(int step);
    OnboardingView *openWelcome(App &app);

    std::unique_ptr<QTemporaryDir> m_root;
    QFont m_font;
};

void TestWindowsOnSmallScreen::initTestCase()
{
    QScreen *screen = QGuiApplication::primaryScreen();
    QVERIFY(screen);
    QCOMPARE(screen->geometry().size() * screen->devicePixelRatio(), smallScreen);
    m_font = QApplication::font();
}

void TestWindowsOnSmallScreen::init()
{
    // At scale 2 only the windows' places are checked, by the rows made for it.
    if (screenScale() != 1 && QByteArray(QTest::currentTestFunction()) != "windowsOpenInsideTheScreen")
        QSKIP("checked at scale 1");
    m_root = std::make_unique<QTemporaryDir>();
    QVERIFY(m_root->isValid());
    qputenv("TESSARINE_VIEWS", TESSARINE_TEST_VIEWS);
    qputenv("TESSARINE_SCREENS", QFile::encodeName(m_root->filePath(QStringLiteral("screens"))));
    qputenv("PATH", QFile::encodeName(m_root->path()));
}

void TestWindowsOnSmallScreen::cleanup()
{
    QApplication::setFont(m_font);
    for (QWidget *window : QApplication::topLevelWidgets())
        window->close();
}

void TestWindowsOnSmallScreen::useFontSize(double points)
{
    QFont font = m_font;
    font.setPointSizeF(points);
    QApplication::setFont(font);
}

Configuration TestWindowsOnSmallScreen::welcomeAt(int step)
{
    Configuration configuration = TestSupport::configuration();
    configuration.welcomeStep = step;
    return configuration;
}

OnboardingView *TestWindowsOnSmallScreen::openWelcome(App &app)
{
    auto *view = qobject_cast<OnboardingView *>(open(app, Window::Welcome));
    // The search for tools ends before the keys are tried: its end moves nothing, but the checks
    // compare what they saw before and after.
    const bool ready =
        view && QTest::qWaitForWindowActive(view) && QTest::qWaitFor([view] { return view->preselected(); }, waitMs);
    return ready ? view : nullptr;
}

void TestWindowsOnSmallScreen::windowsOpenInsideTheScreen_data()
{
    QTest::addColumn<Window>("window");
    QTest::addColumn<QString>("autosaveName"); // empty: nothing remembered
    QTest::addColumn<double>("fontSize");
    QTest::addColumn<double>("scale");

    QTest::newRow("editor") << Window::Editor << QString() << 10.0 << 1.0;
    QTest::newRow("editor, remembered on a larger screen")
        << Window::Editor << QStringLiteral("TessarineLayoutEditor") << 10.0 << 1.0;
    QTest::newRow("editor at 12 pt") << Window::Editor << QString() << 12.0 << 1.0;
    QTest::newRow("connections at 12 pt") << Window::Connections << QString() << 12.0 << 1.0;
    QTest::newRow("connections, remembered on a larger screen")
        << Window::Connections << QStringLiteral("TessarineConnections") << 10.0 << 1.0;
    QTest::newRow("welcome") << Window::Welcome << QString() << 10.0 << 1.0;
    QTest::newRow("welcome at 12 pt") << Window::Welcome << QString() << 12.0 << 1.0;
    QTest::newRow("editor at scale 2") << Window::Editor << QString() << 10.0 << 2.0;
    QTest::newRow("editor at scale 2, remembered on a larger screen")
        << Window::Editor << QStringLiteral("TessarineLayoutEditor") << 10.0 << 2.0;
    QTest::newRow("connections at scale 2") << Window::Connections << QString() << 10.0 << 2.0;
    QTest::newRow("connections at scale 2, remembered on a larger screen")
        << Window::Connections << QStringLiteral("TessarineConnections") << 10.0 << 2.0;
    QTest::newRow("welcome at scale 2") << Window::Welcome << QString() << 10.0 << 2.0;
}

void TestWindowsOnSmallScreen::windowsOpenInsideTheScreen()
{
    QFETCH(Window, window);
    QFETCH(QString, autosaveName);
    QFETCH(double, fontSize);
    QFETCH(double, scale);
    if (screenScale() != scale)
        QSKIP("a row of another scale");
    useFontSize(fontSize);
    if (!autosaveName.isEmpty())
        WindowFrameStore::save(autosaveName, QRect(300, 200, 2400, 1300));

    App app(TestSupport::configuration());
    QWidget *shown = open(app, window);
    QVERIFY(shown);
    QVERIFY(QTest::qWaitForWindowExposed(shown));
    const QRect available = shown->screen()->availableGeometry();
    QVERIFY2(available.contains(shown->frameGeometry()), qPrintable(QStringLiteral("%1,%2 %3×%4")
                                                                        .arg(shown->frameGeometry().x())
                                                                        .arg(shown->frameGeometry().y())
                                                                        .arg(shown->frameGeometry().width())
                                                                        .arg(shown->frameGeometry().height())));
    QVERIFY(shown->width() >= shown->minimumWidth());
    QVERIFY(shown->height() >= shown->minimumHeight());
    // Its default button, where it has one, is in sight: inside the window and the screen.
    for (const QPushButton *button : shown->findChildren<QPushButton *>()) {
        if (!button->isDefault() || !button->isVisibleTo(shown))
            continue;
        const QRect place(button->mapTo(shown, QPoint()), button->size());
        QVERIFY2(shown->rect().contains(place), qPrintable(button->text()));
    }
    // Centred where there is room to spare.
    QVERIFY(qAbs(shown->frameGeometry().center().x() - available.center().x()) <= 1);
    // The remembered frame was larger than the screen: the window took all the room there is,
    // less what a window manager's frame would take.
    if (!autosaveName.isEmpty())
        QVERIFY(shown->width() >=
                available.width() - WindowFit::assumedDecoration.left() - WindowFit::assumedDecoration.right());
    QTRY_VERIFY_WITH_TIMEOUT(!app.model().isRefreshing(), waitMs);
}

void TestWindowsOnSmallScreen::connectionsShowEverySectionAtALargeFont()
{
    useFontSize(12);
    FrameModel model(TestSupport::configuration());
    ConnectionsView view(model);
    // Off the small screen's limits: the size the window asks for.
    view.resize(view.sizeHint());
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    QVERIFY(view.width() > 640);
    const auto *scroll = view.findChild<QScrollArea *>();
    QVERIFY(scroll);
    QTRY_COMPARE(scroll->verticalScrollBar()->maximum(), 0);
    QTRY_VERIFY_WITH_TIMEOUT(!view.state().isChecking(), waitMs);
}

void TestWindowsOnSmallScreen::editorInspectorFitsAtALargeFont_data()
{
    QTest::addColumn<double>("fontSize");
    QTest::newRow("12 pt") << 12.0;
}

void TestWindowsOnSmallScreen::editorInspectorFitsAtALargeFont()
{
    QFETCH(double, fontSize);
    useFontSize(fontSize);
    App app(TestSupport::configuration());
    auto *editor = qobject_cast<LayoutEditor *>(open(app, Window::Editor));
    QVERIFY(editor);
    QVERIFY(QTest::qWaitForWindowActive(editor));
    QTRY_VERIFY(editor->canvas()->overlays().size() >= 2);
    editor->state().setSelectedSlot(1);
    // A countdown in the slot brings its settings, with the date picker, under the widget list.
    for (WidgetRow *row : editor->inspector()->widgetInspector()->rows()) {
        if (row->widget().id == QStringLiteral("countdown"))
            QTest::keyClick(row, Qt::Key_Return);
    }
    QTRY_VERIFY(editor->inspector()->findChild<QDateEdit *>());
    QApplication::processEvents();

    QList<QWidget *> shown;
    for (QWidget *each : editor->inspector()->findChildren<QWidget *>()) {
        if (each->isVisible() && (qobject_cast<QLabel *>(each) || qobject_cast<QDateEdit *>(each)))
            shown.append(each);
    }
    QVERIFY(!shown.isEmpty());
    for (QWidget *each : std::as_const(shown)) {
        // What is seen of it: the scrolling form's viewport it sits in.
        QWidget *frame = editor->inspector();
        for (QWidget *up = each->parentWidget(); up; up = up->parentWidget()) {
            if (qobject_cast<QScrollArea *>(up)) {
                frame = static_cast<QScrollArea *>(up)->viewport();
                break;
            }
        }
        const QRect inFrame(each->mapTo(frame, QPoint(0, 0)), each->size());
        const auto *label = qobject_cast<QLabel *>(each);
        const bool wraps = label && label->wordWrap();
        const QString name = label ? label->text() : QStringLiteral("date");
        QVERIFY2(inFrame.right() < frame->width(), qPrintable(name));
        QVERIFY2(wraps || each->width() >= each->minimumSizeHint().width(), qPrintable(name));
    }
    QTRY_VERIFY_WITH_TIMEOUT(!app.model().isRefreshing(), waitMs);
}

void TestWindowsOnSmallScreen::escapeAndCtrlWClose_data()
{
    QTest::addColumn<Window>("window");
    QTest::addColumn<QKeySequence>("key");
    const QKeySequence escape(Qt::Key_Escape);
    const QKeySequence ctrlW(Qt::CTRL | Qt::Key_W);
    QTest::newRow("editor, Escape") << Window::Editor << escape;
    QTest::newRow("editor, Ctrl+W") << Window::Editor << ctrlW;
    QTest::newRow("connections, Escape") << Window::Connections << escape;
    QTest::newRow("connections, Ctrl+W") << Window::Connections << ctrlW;
    QTest::newRow("welcome, Escape") << Window::Welcome << escape;
    QTest::newRow("welcome, Ctrl+W") << Window::Welcome << ctrlW;
}

void TestWindowsOnSmallScreen::escapeAndCtrlWClose()
{
    QFETCH(Window, window);
    QFETCH(QKeySequence, key);
    App app(TestSupport::configuration());
    QWidget *shown = open(app, window);
    QVERIFY(QTest::qWaitForWindowActive(shown));
    QWidget *focus = QApplication::focusWidget() ? QApplication::focusWidget() : shown;
    QTest::keySequence(focus, key);
    QTRY_VERIFY(!shown->isVisible());
    // Closing the welcome window this way is closing without "Finish".
    QVERIFY(app.model().needsWelcome());
    QTRY_VERIFY_WITH_TIMEOUT(!app.model().isRefreshing(), waitMs);
}

void TestWindowsOnSmallScreen::escapeOnTheCanvasDropsTheSlotFirst()
{
    App app(TestSupport::configuration());
    auto *editor = qobject_cast<LayoutEditor *>(open(app, Window::Editor));
    QVERIFY(editor);
    QVERIFY(QTest::qWaitForWindowActive(editor));
    QTRY_VERIFY(!editor->canvas()->overlays().isEmpty());
    editor->state().setSelectedSlot(0);
    editor->canvas()->setFocus();
    QTRY_VERIFY(editor->canvas()->hasFocus());

    QTest::keyClick(editor->canvas(), Qt::Key_Escape);
    QVERIFY(!editor->state().selectedSlot().has_value());
    QVERIFY(editor->isVisible());

    // Also when the focus is on a slot itself.
    editor->state().setSelectedSlot(1);
    editor->canvas()->overlays().at(1)->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    QVERIFY(!editor->state().selectedSlot().has_value());
    QVERIFY(editor->isVisible());

    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    QTRY_VERIFY(!editor->isVisible());
    QTRY_VERIFY_WITH_TIMEOUT(!app.model().isRefreshing(), waitMs);
}

void TestWindowsOnSmallScreen::upAndDownMoveBetweenStartingSets()
{
    App app(welcomeAt(OnboardingView::pagesStep));
    OnboardingView *view = openWelcome(app);
    QVERIFY(view);
    auto *pages = view->findChild<PagesStep *>();
    // Entering the step, the chosen set has the focus.
    QTRY_COMPARE(QApplication::focusWidget(), pages->option(Start::recommended));

    // Where nothing was found "Just one page" is the recommended set again, hidden, and passed over.
    const Start middle = pages->option(Start::minimal)->isHidden() ? Start::blank : Start::minimal;
    const Start beforeLast = middle == Start::minimal ? Start::minimal : Start::recommended;
    const QList<std::pair<Qt::Key, Start>> presses{{Qt::Key_Down, middle},           {Qt::Key_Down, Start::blank},
                                                   {Qt::Key_Down, Start::blank},     {Qt::Key_Up, beforeLast},
                                                   {Qt::Key_Up, Start::recommended}, {Qt::Key_Up, Start::recommended}};
    for (const auto &[key, expected] : presses) {
        QTest::keyClick(QApplication::focusWidget(), key);
        QCOMPARE(view->start(), expected);
        QCOMPARE(QApplication::focusWidget(), pages->option(expected));
        QVERIFY(pages->option(expected)->isSelected());
    }
    QCOMPARE(view->step(), OnboardingView::pagesStep);
    QTRY_VERIFY_WITH_TIMEOUT(!app.model().isRefreshing(), waitMs);
}

void TestWindowsOnSmallScreen::spaceTicksTheFocusedTool()
{
    // Claude Code's folder makes Claude found, and so ticked once the search is over.
    QVERIFY(QDir().mkpath(QDir::homePath() + QStringLiteral("/.claude")));
    App app(welcomeAt(OnboardingView::gitHubStep));
    OnboardingView *view = openWelcome(app);
    QVERIFY(view);
    QVERIFY(view->chosen().contains(QStringLiteral("claude")));

    // Continue by Return, then Space: it acts on the first control of the tools step, the tick
    // box shown with focus, not on the button that led there.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QTRY_COMPARE(view->step(), OnboardingView::toolsStep);
    QCheckBox *claude = view->findChild<ToolsStep *>()->row(QStringLiteral("claude"))->checkBox();
    QTRY_COMPARE(QApplication::focusWidget(), claude);
    QTest::keyClick(claude, Qt::Key_Space);
    QCOMPARE(view->step(), OnboardingView::toolsStep);
    QVERIFY(!claude->isChecked());
    QVERIFY(!view->chosen().contains(QStringLiteral("claude")));

    // Return is still the default button's, wherever the focus is.
    QTest::keyClick(claude, Qt::Key_Return);
    QTRY_COMPARE(view->step(), OnboardingView::pagesStep);
    QTRY_VERIFY_WITH_TIMEOUT(!app.model().isRefreshing(), waitMs);
}

void TestWindowsOnSmallScreen::everyTabStopIsAVisibleNamedControl()
{
    QVERIFY(QDir().mkpath(QDir::homePath() + QStringLiteral("/.claude")));
    for (int step : {OnboardingView::gitHubStep, OnboardingView::toolsStep, OnboardingView::pagesStep}) {
        App app(welcomeAt(step));
        OnboardingView *view = openWelcome(app);
        QVERIFY(view);
        QStringList stops;
        QWidget *first = QApplication::focusWidget();
        QVERIFY(first);
        for (int press = 0; press < 20; ++press) {
            QWidget *focus = QApplication::focusWidget();
            QVERIFY2(focus->isVisible(), focus->metaObject()->className());
            QVERIFY2(!nameOf(focus).isEmpty(), focus->metaObject()->className());
            stops.append(nameOf(focus));
            QTest::keyClick(focus, Qt::Key_Tab);
            if (QApplication::focusWidget() == first)
                break;
        }
        QVERIFY2(QApplication::focusWidget() == first, qPrintable(stops.join(QStringLiteral(" → "))));
        QVERIFY2(stops.contains(QStringLiteral("Continue")) || stops.contains(QStringLiteral("Finish")),
                 qPrintable(stops.join(QStringLiteral(" → "))));
        QVERIFY2(stops.contains(QStringLiteral("Back")), qPrintable(stops.join(QStringLiteral(" → "))));
        QCOMPARE(view->step(), step);
        QTRY_VERIFY_WITH_TIMEOUT(!app.model().isRefreshing(), waitMs);
    }
}

void TestWindowsOnSmallScreen::focusIsDrawn()
{
    QVERIFY(QDir().mkpath(QDir::homePath() + QStringLiteral("/.claude")));
    App app(welcomeAt(OnboardingView::toolsStep));
    OnboardingView *view = openWelcome(app);
    QVERIFY(view);
    QPushButton *primary = view->footer()->primaryButton();
    QPushButton *back = view->footer()->backButton();
    QCheckBox *claude = view->findChild<ToolsStep *>()->row(QStringLiteral("claude"))->checkBox();

    const auto [primaryFocused, primaryPlain] = drawnWithAndWithoutFocus(primary, back);
    QVERIFY(!primaryFocused.isNull());
    QVERIFY2(primaryFocused != primaryPlain, "the default button shows no focus");
    const auto [tickFocused, tickPlain] = drawnWithAndWithoutFocus(claude, back);
    QVERIFY(!tickFocused.isNull());
    QVERIFY2(tickFocused != tickPlain, "a tool's tick box shows no focus");

    view->setStep(OnboardingView::pagesStep);
    StartOptionWidget *chosen = view->findChild<PagesStep *>()->option(view->start());
    QVERIFY(chosen->isSelected());
    const auto [optionFocused, optionPlain] = drawnWithAndWithoutFocus(chosen, back);
    QVERIFY(!optionFocused.isNull());
    QVERIFY2(optionFocused != optionPlain, "the chosen starting set shows no focus");
    QTRY_VERIFY_WITH_TIMEOUT(!app.model().isRefreshing(), waitMs);
}

QTEST_MAIN(TestWindowsOnSmallScreen)
#include "TestWindowsOnSmallScreen.moc"
