// SPDX-License-Identifier: GPL-3.0-or-later
#include "RunConfiguration.h"
#include "TestSupport.h"
#include "UiTestSupport.h"
#include "model/FrameModel.h"
#include "platform/Defaults.h"
#include "platform/InMemoryCredentialStore.h"
#include "ui/card/FrameView.h"
#include "ui/card/FrameWindow.h"

#include <QApplication>
#include <QScreen>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QWindow>
#include <QtTest>
#include <memory>

namespace {

const QSize mediumWindow(766, 326); // 680 + 2 × 27 + 32 by 240 + 2 × 27 + 32
const QSize largeWindow(1004, 422); // 900 + 2 × 36 + 32 by 317.6 + 2 × 36 + 32
const QSize panelWindow(1500, 620); // 1360 + 2 × 54 + 32 by 480 + 2 × 54 + 32

QRect topCentre(const QSize &size)
{
    return QRect(QPoint((1920 - size.width()) / 2, 80), size);
}

} // namespace

class TestFrameWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void firstLaunchPlacesAtTopCentre();
    void remembersItsPlaceAcrossRestarts();
    void storedFrameOffEveryScreenMovesToTopCentre();
    void storedOptionsNamingNothingGiveAMediumCard();
    void sizeChangeKeepsTheTopLeftCorner();
    void panelLookSizesToWholePanelPixels();
    void fullScreenAndBackReturnsToTheCard();
    void storedFullScreenThenCardGoesToTopCentre();
    void levels_data();
    void levels();
    void trayComingAndGoing_data();
    void trayComingAndGoing();
    void escapeLeavesFullScreen();
    void cardKeepsItsPlaceAcrossLooks();
    void restartInFullScreenKeepsThePlace();
    void panelTooWideForTheScreenIsRefused();
    void restartOnTooSmallAScreenFitsTheFrame();

private:
    void start();

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<FrameModel> m_model;
    std::unique_ptr<FrameWindow> m_window;
};

void TestFrameWindow::init()
{
    TestSupport::clearDefaults();
    m_dir = std::make_unique<QTemporaryDir>();
    qputenv("TESSARINE_SCREENS", m_dir->filePath(QStringLiteral("screens")).toUtf8());
    qputenv("TESSARINE_VIEWS", TESSARINE_TEST_VIEWS);
}

void TestFrameWindow::cleanup()
{
    m_window.reset();
    m_model.reset();
}

// What the application does at launch.
void TestFrameWindow::start()
{
    m_window.reset();
    m_model = std::make_unique<FrameModel>(TestSupport::configuration(), std::make_shared<InMemoryCredentialStore>());
    m_window = std::make_unique<FrameWindow>(*m_model);
    m_window->apply(true);
    m_window->show();
    m_window->observe();
    QVERIFY(QTest::qWaitForWindowExposed(m_window->window()));
}

void TestFrameWindow::firstLaunchPlacesAtTopCentre()
{
    start();
    QCOMPARE(m_window->window()->geometry(), topCentre(mediumWindow));
    QCOMPARE(m_window->window()->screen()->geometry(), UiTestSupport::mainScreen);
}

void TestFrameWindow::remembersItsPlaceAcrossRestarts()
{
    start();
    // As a drag leaves it.
    m_window->window()->move(2200, 300);
    start();
    QCOMPARE(m_window->window()->geometry(), QRect(QPoint(2200, 300), mediumWindow));
}

void TestFrameWindow::storedFrameOffEveryScreenMovesToTopCentre()
{
    Defaults::setValue(FrameWindow::autosaveName(), QStringLiteral("5000 2000 766 326"));
    start();
    QCOMPARE(m_window->window()->geometry(), topCentre(mediumWindow));
}

void TestFrameWindow::storedOptionsNamingNothingGiveAMediumCard()
{
    Defaults::setValue(QStringLiteral("size"), QStringLiteral("huge"));
    Defaults::setValue(QStringLiteral("look"), QStringLiteral("Panel"));
    Defaults::setValue(FrameWindow::autosaveName(), QStringLiteral("not a frame"));
    start();
    QCOMPARE(m_window->window()->geometry(), topCentre(mediumWindow));
    QCOMPARE(m_window->level(), FrameWindow::Level::BelowWindows);
}

void TestFrameWindow::sizeChangeKeepsTheTopLeftCorner()
{
    start();
    m_window->window()->move(200, 300);
    m_model->setSize(FrameSize::Large);
    QTRY_COMPARE(m_window->window()->geometry(), QRect(QPoint(200, 300), largeWindow));
    m_model->setSize(FrameSize::Small);
    QTRY_COMPARE(m_window->window()->geometry(), QRect(QPoint(200, 300), m_window->window()->sizeHint()));
    QCOMPARE(m_window->window()->width(), 594); // 520 + 2 × 21 + 32
}

void TestFrameWindow::panelLookSizesToWholePanelPixels()
{
    start();
    m_window->window()->move(100, 100);
    m_model->setLook(ScreenLook::Panel);
    QTRY_COMPARE(m_window->window()->geometry(), QRect(QPoint(100, 100), panelWindow));
}

void TestFrameWindow::fullScreenAndBackReturnsToTheCard()
{
    start();
    m_window->window()->move(300, 400);
    const QRect card = m_window->window()->geometry();

    m_model->setSize(FrameSize::FullScreen);
    QTRY_COMPARE(m_window->window()->geometry(), UiTestSupport::mainScreen);
    QCOMPARE(m_window->level(), FrameWindow::Level::Desktop);
    QVERIFY(m_window->window()->windowHandle()->flags().testFlag(Qt::WindowTransparentForInput));
    QCOMPARE(m_window->cardFrame(), card);

    m_model->setSize(FrameSize::Medium);
    QTRY_COMPARE(m_window->window()->geometry(), card);
    QCOMPARE(m_window->cardFrame(), std::nullopt);
    QVERIFY(!m_window->window()->windowHandle()->flags().testFlag(Qt::WindowTransparentForInput));
}

void TestFrameWindow::storedFullScreenThenCardGoesToTopCentre()
{
    Defaults::setValue(QStringLiteral("size"), QStringLiteral("fullScreen"));
    start();
    QCOMPARE(m_window->window()->geometry(), UiTestSupport::mainScreen);
    // Nothing of the card was seen this run, so there is no frame to go back to.
    QCOMPARE(m_window->cardFrame(), std::nullopt);

    m_model->setSize(FrameSize::Large);
    QTRY_COMPARE(m_window->window()->geometry(), topCentre(largeWindow));
}

void TestFrameWindow::levels_data()
{
    QTest::addColumn<FrameSize>("size");
    QTest::addColumn<bool>("keepOnTop");
    QTest::addColumn<bool>("tray");
    QTest::addColumn<FrameWindow::Level>("level");
    QTest::addColumn<Qt::WindowFlags>("present");
    QTest::addColumn<Qt::WindowFlags>("absent");

    QTest::newRow("card kept on top") << FrameSize(FrameSize::Medium) << true << true << FrameWindow::Level::Floating
                                      << Qt::WindowFlags(Qt::WindowStaysOnTopHint)
                                      << (Qt::WindowStaysOnBottomHint | Qt::WindowTransparentForInput);
    QTest::newRow("card beneath windows")
        << FrameSize(FrameSize::Medium) << false << true << FrameWindow::Level::BelowWindows
        << Qt::WindowFlags(Qt::WindowStaysOnBottomHint) << (Qt::WindowStaysOnTopHint | Qt::WindowTransparentForInput);
    QTest::newRow("full screen ignores keep on top")
        << FrameSize(FrameSize::FullScreen) << true << true << FrameWindow::Level::Desktop
        << (Qt::WindowStaysOnBottomHint | Qt::WindowTransparentForInput) << Qt::WindowFlags(Qt::WindowStaysOnTopHint);
    // Without a tray a right click on the grid is the only way to its menu.
    QTest::newRow("full screen without a tray takes the mouse")
        << FrameSize(FrameSize::FullScreen) << false << false << FrameWindow::Level::Desktop
        << Qt::WindowFlags(Qt::WindowStaysOnBottomHint) << (Qt::WindowStaysOnTopHint | Qt::WindowTransparentForInput);
}

void TestFrameWindow::levels()
{
    QFETCH(FrameSize, size);
    QFETCH(bool, keepOnTop);
    QFETCH(bool, tray);
    QFETCH(FrameWindow::Level, level);
    QFETCH(Qt::WindowFlags, present);
    QFETCH(Qt::WindowFlags, absent);

    start();
    m_window->setTrayAvailable(tray);
    m_model->setKeepOnTop(keepOnTop);
    m_model->setSize(size);
    QTRY_COMPARE(m_window->level(), level);
    const Qt::WindowFlags flags = m_window->window()->windowHandle()->flags();
    QCOMPARE(flags & present, present);
    QCOMPARE(flags & absent, Qt::WindowFlags());
    // Always frameless and out of the taskbar; only the grid without a tray takes the focus.
    QVERIFY(flags.testFlag(Qt::FramelessWindowHint));
    QCOMPARE(flags.testFlag(Qt::WindowDoesNotAcceptFocus), tray || size != FrameSize::FullScreen);
    QCOMPARE(flags & Qt::WindowType_Mask, Qt::Tool);
}

void TestFrameWindow::trayComingAndGoing_data()
{
    QTest::addColumn<bool>("trayAtFirst");
    QTest::addColumn<bool>("trayLater");

    QTest::newRow("the panel restarts without its tray") << true << false;
    QTest::newRow("a tray appears after the start") << false << true;
}

// The grid lets clicks through only while a tray offers the menu; the tray is watched.
void TestFrameWindow::trayComingAndGoing()
{
    QFETCH(bool, trayAtFirst);
    QFETCH(bool, trayLater);

    auto tray = std::make_shared<bool>(trayAtFirst);
    start();
    m_window->watchTray([tray] { return *tray; });
    m_model->setSize(FrameSize::FullScreen);
    const auto clicksPassThrough = [this] {
        return m_window->window()->windowHandle()->flags().testFlag(Qt::WindowTransparentForInput);
    };
    QTRY_COMPARE(clicksPassThrough(), trayAtFirst);
    *tray = trayLater;
    QTRY_COMPARE_WITH_TIMEOUT(clicksPassThrough(), trayLater, 3 * FrameWindow::trayCheckMs);
    QCOMPARE(m_window->trayAvailable(), trayLater);
}

void TestFrameWindow::escapeLeavesFullScreen()
{
    start();
    m_window->watchTray([] { return false; });
    m_model->setSize(FrameSize::Large);
    m_model->setSize(FrameSize::FullScreen);
    QTRY_COMPARE(m_window->level(), FrameWindow::Level::Desktop);
    QTest::keyClick(m_window->window(), Qt::Key_Escape);
    QCOMPARE(m_model->size(), FrameSize(FrameSize::Large));
    QTRY_COMPARE(m_window->window()->size(), largeWindow);
}

// Panel Pixels is pulled in from the screen's right edge; Mono goes back to where it was.
void TestFrameWindow::cardKeepsItsPlaceAcrossLooks()
{
    start();
    m_window->window()->move(600, 100);
    m_model->setLook(ScreenLook::Panel);
    QTRY_COMPARE(m_window->window()->geometry(), QRect(QPoint(1920 - panelWindow.width(), 100), panelWindow));
    m_model->setLook(ScreenLook::Mono);
    QTRY_COMPARE(m_window->window()->geometry(), QRect(QPoint(600, 100), mediumWindow));
}

void TestFrameWindow::restartInFullScreenKeepsThePlace()
{
    start();
    m_window->window()->move(300, 400);
    m_model->setSize(FrameSize::FullScreen);
    QTRY_COMPARE(m_window->window()->geometry(), UiTestSupport::mainScreen);
    start();
    QCOMPARE(m_window->window()->geometry(), UiTestSupport::mainScreen);
    m_model->setSize(FrameSize::Medium);
    QTRY_COMPARE(m_window->window()->geometry(), QRect(QPoint(300, 400), mediumWindow));
}

// The second screen is 1280 wide: no room for 1360 panel pixels.
void TestFrameWindow::panelTooWideForTheScreenIsRefused()
{
    start();
    m_model->setLook(ScreenLook::Colour);
    m_window->window()->move(2100, 300);
    QTRY_COMPARE(m_window->window()->screen()->geometry(), UiTestSupport::secondScreen);
    QSignalSpy refused(m_window.get(), &FrameWindow::lookRefused);
    m_model->setLook(ScreenLook::Panel);
    QTRY_COMPARE(refused.count(), 1);
    QVERIFY(refused.first().first().toString().contains(QStringLiteral("1280")));
    QCOMPARE(m_model->look(), ScreenLook(ScreenLook::Colour));
    QTRY_COMPARE(m_window->window()->geometry(), QRect(QPoint(2100, 300), mediumWindow));
    // The choice itself stays, and comes back on a screen with room for it.
    QCOMPARE(m_model->chosenLook(), ScreenLook(ScreenLook::Panel));
    QCOMPARE(Defaults::stringValue(QStringLiteral("look")), std::optional<QString>(QStringLiteral("panel")));
    m_window->window()->move(300, 100);
    QTRY_COMPARE(m_model->look(), ScreenLook(ScreenLook::Panel));
    QTRY_COMPARE(m_window->window()->size(), panelWindow);
}

// Restarted on the small screen with Panel Pixels chosen and a frame saved on the large one: the
// card shows the stand-in look in a frame that fits, and the choice stays stored.
void TestFrameWindow::restartOnTooSmallAScreenFitsTheFrame()
{
    Defaults::setValue(QStringLiteral("look"), QStringLiteral("panel"));
    Defaults::setValue(FrameWindow::autosaveName(), QStringLiteral("2000 300 1500 620"));
    start();
    QCOMPARE(m_model->look(), ScreenLook(ScreenLook::Mono));
    QCOMPARE(m_model->chosenLook(), ScreenLook(ScreenLook::Panel));
    QCOMPARE(m_window->window()->size(), mediumWindow);
    QVERIFY(m_window->window()->screen()->availableGeometry().contains(m_window->window()->geometry()));
    QCOMPARE(Defaults::stringValue(QStringLiteral("look")), std::optional<QString>(QStringLiteral("panel")));
}

TESSARINE_UI_TEST_MAIN(TestFrameWindow)
#include "TestFrameWindow.moc"
