// SPDX-License-Identifier: GPL-3.0-or-later
#include "RunConfiguration.h"
#include "TestSupport.h"
#include "UiTestSupport.h"
#include "model/FrameModel.h"
#include "platform/InMemoryCredentialStore.h"
#include "services/UpdateChecker.h"
#include "ui/card/FrameMenu.h"

#include <QApplication>
#include <QClipboard>
#include <QCoroTask>
#include <QDir>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

using namespace std::chrono_literals;

namespace {

const QString separator = QStringLiteral("---");

QImage greyPicture(const QString &, const QString &look, bool)
{
    return UiTestSupport::solidPicture(look, Qt::gray);
}

QStringList titles(const QMenu &menu)
{
    QStringList result;
    for (const QAction *action : menu.actions())
        result.append(action->isSeparator() ? separator : action->text());
    return result;
}

// The action at a path of titles such as "Look/Panel Pixels".
QAction *find(const QMenu &menu, const QString &path)
{
    const QStringList steps = path.split(QLatin1Char('/'));
    const QMenu *current = &menu;
    QAction *found = nullptr;
    for (const QString &step : steps) {
        found = nullptr;
        for (QAction *action : current->actions()) {
            if (action->text() == step)
                found = action;
        }
        if (!found)
            return nullptr;
        current = found->menu();
    }
    return found;
}

// Everything after the status lines, as the menu lists it.
const QStringList commands{"Next Page",      "Previous Page",
                           "Page",           "Copy Page Text",
                           "Cycle Pages",    "Page Transition",
                           separator,        "Edit Layout…",
                           "Connections…",   "Show Welcome…",
                           separator,        "Refresh Now",
                           separator,        "Colour",
                           "Look",           "Size",
                           "AI Plans",       "Keep Above Other Windows",
                           separator,        "Check for Updates…",
                           "Start at Login", "Quit Tessarine"};

using Check = std::function<bool(const FrameModel &)>;

} // namespace

Q_DECLARE_METATYPE(Check)

class TestFrameMenu : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void listsEveryItemInOrder_data();
    void listsEveryItemInOrder();
    void submenusOfferEveryChoice();
    void shortcutsUseControl();
    void shortcutsChooseTheirItemsWhileOpen();
    void enabledStates_data();
    void enabledStates();
    void actionsWriteThroughTheModel_data();
    void actionsWriteThroughTheModel();
    void navigationWrapsAround();
    void navigationWithoutManifestDoesNothing();
    void windowItemsCallTheHooks();
    void refreshItemDuringARefresh();
    void providersAndLogos();
    void offersAnAvailableUpdate();
    void quitRunsTheQuitAction();
    void copiesTheShownPagesText_data();
    void copiesTheShownPagesText();

private:
    void makeModel(const QStringList &views, const std::optional<QString> &error = std::nullopt);
    void waitForRefresh();

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<FrameModel> m_model;
    std::unique_ptr<FrameMenu> m_menu;
};

void TestFrameMenu::init()
{
    TestSupport::clearDefaults();
    m_dir = std::make_unique<QTemporaryDir>();
    qputenv("TESSARINE_SCREENS", m_dir->filePath(QStringLiteral("screens")).toUtf8());
    qputenv("TESSARINE_VIEWS", TESSARINE_TEST_VIEWS);
}

void TestFrameMenu::cleanup()
{
    if (m_model)
        waitForRefresh();
    m_menu.reset();
    m_model.reset();
}

void TestFrameMenu::makeModel(const QStringList &views, const std::optional<QString> &error)
{
    if (!views.isEmpty() || error)
        UiTestSupport::writeScreens(m_dir->filePath(QStringLiteral("screens")), views, greyPicture, error);
    m_model = std::make_unique<FrameModel>(TestSupport::configuration(), std::make_shared<InMemoryCredentialStore>());
    m_menu = std::make_unique<FrameMenu>(*m_model);
}

// A refresh started by the menu runs to its end (it fails: nobody is signed in to GitHub).
void TestFrameMenu::waitForRefresh()
{
    QTRY_VERIFY_WITH_TIMEOUT(!m_model->isRefreshing(), 60000);
}

void TestFrameMenu::listsEveryItemInOrder_data()
{
    QTest::addColumn<QStringList>("views");
    QTest::addColumn<std::optional<QString>>("error");
    QTest::addColumn<QString>("status");
    QTest::addColumn<QStringList>("failure");

    QTest::newRow("never refreshed") << QStringList{} << std::optional<QString>() << "Not updated yet" << QStringList{};
    QTest::newRow("refreshed") << QStringList{"page0", "page1"} << std::optional<QString>() << "Updated "
                               << QStringList{};
    QTest::newRow("last refresh failed") << QStringList{"page0"} << std::optional<QString>("GitHub did not answer.")
                                         << "Updated " << QStringList{"Last refresh failed: GitHub did not answer."};
}

void TestFrameMenu::listsEveryItemInOrder()
{
    QFETCH(QStringList, views);
    QFETCH(std::optional<QString>, error);
    QFETCH(QString, status);
    QFETCH(QStringList, failure);

    makeModel(views, error);
    const QStringList shown = titles(*m_menu);
    QVERIFY2(shown.first().startsWith(status), qPrintable(shown.first()));
    QVERIFY(!m_menu->actions().first()->isEnabled());
    QCOMPARE(shown.mid(1), failure + QStringList{separator} + commands);
}

void TestFrameMenu::submenusOfferEveryChoice()
{
    makeModel({"page0", "page1"});
    QCOMPARE(titles(*find(*m_menu, "Page")->menu()), (QStringList{"page0", "page1"}));
    QCOMPARE(titles(*find(*m_menu, "Cycle Pages")->menu()),
             (QStringList{"Off", "Every 30 Seconds", "Every Minute", "Every 5 Minutes", "Every 15 Minutes"}));
    QCOMPARE(titles(*find(*m_menu, "Page Transition")->menu()),
             (QStringList{"Flip", "Slide", "Fade", "E-paper Flash"}));
    QCOMPARE(titles(*find(*m_menu, "Look")->menu()), (QStringList{"Mono", "Colour", "Panel Pixels"}));
    QCOMPARE(titles(*find(*m_menu, "Size")->menu()), (QStringList{"Small", "Medium", "Large", "Full Screen"}));
    QCOMPARE(titles(*find(*m_menu, "AI Plans")->menu()),
             (QStringList{"Claude", "Codex (ChatGPT)", "Grok", "Gemini", "Wispr Flow", separator, "Show Logos",
                          "Alert Before Plans Run Out"}));

    // The current values are marked, and only they.
    const auto checked = [this](const QString &picker) {
        QStringList marked;
        for (const QAction *action : find(*m_menu, picker)->menu()->actions()) {
            if (action->isChecked())
                marked.append(action->text());
        }
        return marked;
    };
    QCOMPARE(checked("Page"), QStringList{"page0"});
    QCOMPARE(checked("Cycle Pages"), QStringList{"Off"});
    QCOMPARE(checked("Page Transition"), QStringList{"Flip"});
    QCOMPARE(checked("Look"), QStringList{"Mono"});
    QCOMPARE(checked("Size"), QStringList{"Medium"});
    QCOMPARE(checked("AI Plans"),
             (QStringList{"Claude", "Codex (ChatGPT)", "Show Logos", "Alert Before Plans Run Out"}));
}

void TestFrameMenu::shortcutsUseControl()
{
    makeModel({"page0"});
    const QList<QPair<QString, QString>> expected{{"Next Page", "Ctrl+]"},      {"Previous Page", "Ctrl+["},
                                                  {"Edit Layout…", "Ctrl+E"},   {"Connections…", "Ctrl+,"},
                                                  {"Refresh Now", "Ctrl+R"},    {"Colour", "Ctrl+K"},
                                                  {"Quit Tessarine", "Ctrl+Q"}, {"Show Welcome…", ""}};
    for (const auto &[title, keys] : expected)
        QCOMPARE(find(*m_menu, title)->shortcut().toString(QKeySequence::PortableText), keys);
}

void TestFrameMenu::shortcutsChooseTheirItemsWhileOpen()
{
    makeModel({"page0", "page1", "page2"});
    const auto press = [this](Qt::Key key) {
        m_menu->popup(QPoint(10, 10));
        QTest::keyClick(m_menu.get(), key, Qt::ControlModifier);
    };
    press(Qt::Key_BracketRight);
    QCOMPARE(m_model->view(), QStringLiteral("page1"));
    QVERIFY(!m_menu->isVisible());
    press(Qt::Key_BracketLeft);
    QCOMPARE(m_model->view(), QStringLiteral("page0"));
    press(Qt::Key_K);
    QCOMPARE(m_model->look(), ScreenLook(ScreenLook::Colour));
    press(Qt::Key_K);
    QCOMPARE(m_model->look(), ScreenLook(ScreenLook::Mono));

    // The refresh item cannot be chosen during a refresh, by its shortcut either.
    press(Qt::Key_R);
    QVERIFY(m_model->isRefreshing());
    QSignalSpy requests(m_model.get(), &FrameModel::refreshRequested);
    press(Qt::Key_R);
    QCOMPARE(requests.count(), 0);

    int quits = 0;
    m_menu->setQuitAction([&quits] { ++quits; });
    press(Qt::Key_Q);
    QCOMPARE(quits, 1);
}

void TestFrameMenu::enabledStates_data()
{
    QTest::addColumn<QStringList>("views");
    QTest::addColumn<ScreenLook>("look");
    QTest::addColumn<bool>("cycle");
    QTest::addColumn<bool>("transition");
    QTest::addColumn<bool>("size");
    QTest::addColumn<bool>("colour");

    QTest::newRow("no manifest") << QStringList{} << ScreenLook(ScreenLook::Mono) << false << true << true << false;
    QTest::newRow("one view") << QStringList{"page0"} << ScreenLook(ScreenLook::Colour) << false << true << true
                              << true;
    QTest::newRow("two views") << QStringList{"page0", "page1"} << ScreenLook(ScreenLook::Mono) << true << true << true
                               << false;
    QTest::newRow("panel") << QStringList{"page0", "page1"} << ScreenLook(ScreenLook::Panel) << true << false << false
                           << false;
}

void TestFrameMenu::enabledStates()
{
    QFETCH(QStringList, views);
    QFETCH(ScreenLook, look);
    QFETCH(bool, cycle);
    QFETCH(bool, transition);
    QFETCH(bool, size);
    QFETCH(bool, colour);

    makeModel(views);
    m_model->setLook(look);
    m_menu->rebuild();
    QCOMPARE(find(*m_menu, "Cycle Pages")->isEnabled(), cycle);
    QCOMPARE(find(*m_menu, "Page Transition")->isEnabled(), transition);
    QCOMPARE(find(*m_menu, "Size")->isEnabled(), size);
    QCOMPARE(find(*m_menu, "Colour")->isChecked(), colour);
    QCOMPARE(find(*m_menu, "Page")->menu()->actions().size(), views.size());
}

void TestFrameMenu::actionsWriteThroughTheModel_data()
{
    QTest::addColumn<ScreenLook>("look");
    QTest::addColumn<QString>("item");
    QTest::addColumn<Check>("check");

    const ScreenLook mono = ScreenLook::Mono;
    QTest::newRow("page") << mono << "Page/page2" << Check([](const FrameModel &m) { return m.view() == "page2"; });
    QTest::newRow("cycle") << mono << "Cycle Pages/Every Minute"
                           << Check([](const FrameModel &m) { return m.cycleSeconds() == 60; });
    QTest::newRow("transition") << mono << "Page Transition/E-paper Flash"
                                << Check([](const FrameModel &m) { return m.transition() == PageTransition::Flash; });
    QTest::newRow("look") << mono << "Look/Panel Pixels"
                          << Check([](const FrameModel &m) { return m.look() == ScreenLook::Panel; });
    QTest::newRow("size") << mono << "Size/Full Screen"
                          << Check([](const FrameModel &m) { return m.size() == FrameSize::FullScreen; });
    QTest::newRow("keep on top") << mono << "Keep Above Other Windows"
                                 << Check([](const FrameModel &m) { return m.keepOnTop(); });
    QTest::newRow("colour on") << mono << "Colour"
                               << Check([](const FrameModel &m) { return m.look() == ScreenLook::Colour; });
    QTest::newRow("colour off") << ScreenLook(ScreenLook::Colour) << "Colour"
                                << Check([](const FrameModel &m) { return m.look() == ScreenLook::Mono; });
    // The toggle is off under the panel look, so choosing it turns colour on.
    QTest::newRow("colour from panel") << ScreenLook(ScreenLook::Panel) << "Colour"
                                       << Check([](const FrameModel &m) { return m.look() == ScreenLook::Colour; });
}

void TestFrameMenu::actionsWriteThroughTheModel()
{
    QFETCH(ScreenLook, look);
    QFETCH(QString, item);
    QFETCH(Check, check);

    makeModel({"page0", "page1", "page2"});
    m_model->setLook(look);
    m_menu->rebuild();
    QAction *action = find(*m_menu, item);
    QVERIFY(action);
    action->trigger();
    QVERIFY(check(*m_model));
}

void TestFrameMenu::navigationWrapsAround()
{
    makeModel({"page0", "page1", "page2"});
    m_model->setView(QStringLiteral("page2"));
    find(*m_menu, "Next Page")->trigger();
    QCOMPARE(m_model->view(), QStringLiteral("page0"));
    QVERIFY(m_model->movingForward());

    find(*m_menu, "Previous Page")->trigger();
    QCOMPARE(m_model->view(), QStringLiteral("page2"));
    QVERIFY(!m_model->movingForward());
}

void TestFrameMenu::navigationWithoutManifestDoesNothing()
{
    makeModel({});
    find(*m_menu, "Next Page")->trigger();
    find(*m_menu, "Previous Page")->trigger();
    QCOMPARE(m_model->view(), QStringLiteral("page0"));
    QVERIFY(find(*m_menu, "Page")->menu()->isEmpty());
}

void TestFrameMenu::windowItemsCallTheHooks()
{
    makeModel({"page0"});
    // Without hooks nothing opens and nothing breaks.
    for (const char *item : {"Edit Layout…", "Connections…", "Show Welcome…"})
        find(*m_menu, item)->trigger();

    QStringList opened;
    m_model->setOpenEditor([&opened] { opened.append("editor"); });
    m_model->setOpenConnections([&opened] { opened.append("connections"); });
    m_model->setOpenWelcome([&opened] { opened.append("welcome"); });
    for (const char *item : {"Edit Layout…", "Connections…", "Show Welcome…"})
        find(*m_menu, item)->trigger();
    QCOMPARE(opened, (QStringList{"editor", "connections", "welcome"}));
}

void TestFrameMenu::refreshItemDuringARefresh()
{
    makeModel({"page0"});
    find(*m_menu, "Refresh Now")->trigger();
    QVERIFY(m_model->isRefreshing());

    m_menu->rebuild();
    QCOMPARE(m_menu->actions().first()->text(), QStringLiteral("Refreshing…"));
    QAction *refresh = find(*m_menu, "Refreshing…");
    QVERIFY(refresh);
    QVERIFY(!refresh->isEnabled());
    QCOMPARE(refresh->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_R));

    waitForRefresh();
    m_menu->rebuild();
    QVERIFY(find(*m_menu, "Refresh Now")->isEnabled());
}

void TestFrameMenu::providersAndLogos()
{
    makeModel({"page0"});
    find(*m_menu, "AI Plans/Grok")->trigger();
    QCOMPARE(m_model->providers(), (QStringList{"claude", "codex", "grok"}));
    // Changing what is collected refreshes.
    QVERIFY(m_model->isRefreshing());
    waitForRefresh();

    m_menu->rebuild();
    find(*m_menu, "AI Plans/Claude")->trigger();
    QCOMPARE(m_model->providers(), (QStringList{"codex", "grok"}));
    waitForRefresh();

    m_menu->rebuild();
    find(*m_menu, "AI Plans/Show Logos")->trigger();
    QVERIFY(!m_model->showLogos());

    // The alerts switch is a display option: stored at once, no refresh.
    waitForRefresh();
    m_menu->rebuild();
    find(*m_menu, "AI Plans/Alert Before Plans Run Out")->trigger();
    QVERIFY(!m_model->display().planAlerts());
    QVERIFY(!m_model->isRefreshing());
    QCOMPARE(FrameModel(TestSupport::configuration()).display().planAlerts(), false);
    m_menu->rebuild();
    QVERIFY(!find(*m_menu, "AI Plans/Alert Before Plans Run Out")->isChecked());
}

void TestFrameMenu::offersAnAvailableUpdate()
{
    FakeHttpServer feed;
    const QString base = feed.start();
    FakeHttpServer::Reply reply;
    reply.body = R"({"version":"999.0","url":"https://tessarine.app/download"})";
    feed.setReply("GET /latest.json", reply);
    qputenv("TESSARINE_UPDATE_FEED", (base + QStringLiteral("latest.json")).toUtf8());

    makeModel({"page0"});
    QVERIFY(!find(*m_menu, "Download Tessarine 999.0…"));
    QCoro::waitFor(m_model->updates().check(false));
    m_menu->rebuild();

    const QStringList shown = titles(*m_menu);
    QCOMPARE(shown.mid(shown.size() - 5), (QStringList{separator, "Download Tessarine 999.0…", "Check for Updates…",
                                                       "Start at Login", "Quit Tessarine"}));

    // While a check runs the item says so and cannot be chosen again.
    find(*m_menu, "Check for Updates…")->trigger();
    QVERIFY(m_model->updates().isChecking());
    m_menu->rebuild();
    QVERIFY(!find(*m_menu, "Checking for Updates…")->isEnabled());
    QTRY_VERIFY(!m_model->updates().isChecking());
}

void TestFrameMenu::quitRunsTheQuitAction()
{
    makeModel({"page0"});
    int quits = 0;
    m_menu->setQuitAction([&quits] { ++quits; });
    find(*m_menu, "Quit Tessarine")->trigger();
    QCOMPARE(quits, 1);
}

void TestFrameMenu::copiesTheShownPagesText_data()
{
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<QString>("copied");

    QTest::newRow("the shown page's text") << QStringList{"Today\nToday is Thursday.", "Countdown: Launch in 44 days."}
                                           << "page1" << true << "Countdown: Launch in 44 days.";
    QTest::newRow("no text beside the pictures") << QStringList{} << "page0" << false << "";
}

void TestFrameMenu::copiesTheShownPagesText()
{
    QFETCH(QStringList, texts);
    QFETCH(QString, shown);
    QFETCH(bool, enabled);
    QFETCH(QString, copied);

    const QDir screens(m_dir->filePath(QStringLiteral("screens")));
    UiTestSupport::writeScreens(screens.path(), {"page0", "page1"}, greyPicture, std::nullopt);
    for (qsizetype index = 0; index < texts.size(); ++index)
        TestSupport::writeFile(screens.filePath(QStringLiteral("page%1.txt").arg(index)), texts.at(index).toUtf8());
    makeModel({});
    m_model->setView(shown);
    QGuiApplication::clipboard()->setText(QStringLiteral("before"));
    m_menu->rebuild();
    QAction *copy = find(*m_menu, "Copy Page Text");
    QVERIFY(copy);
    QCOMPARE(copy->isEnabled(), enabled);
    copy->trigger();
    QCOMPARE(QGuiApplication::clipboard()->text(), enabled ? copied : QStringLiteral("before"));
}

TESSARINE_UI_TEST_MAIN(TestFrameMenu)
#include "TestFrameMenu.moc"
