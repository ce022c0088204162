// SPDX-License-Identifier: GPL-3.0-or-later
#include "RunConfiguration.h"
#include "TestSupport.h"
#include "UiTestSupport.h"
#include "model/FrameModel.h"
#include "platform/InMemoryCredentialStore.h"
#include "ui/card/FrameView.h"
#include "ui/card/FullScreenFrame.h"
#include "ui/card/MenuBarIcon.h"
#include "ui/card/ScreenImage.h"

#include <QApplication>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QTemporaryDir>
#include <QtTest>
#include <algorithm>
#include <cmath>
#include <memory>

namespace {

// Each view in a colour of its own, so a picture of the card tells which page it shows.
const QHash<QString, QColor> viewColours{{"page0", QColor(200, 30, 30)},
                                         {"page1", QColor(30, 160, 60)},
                                         {"page2", QColor(40, 60, 200)},
                                         {"page3", QColor(220, 190, 20)},
                                         {"page4", QColor(120, 40, 160)}};

QImage colouredPicture(const QString &view, const QString &look, bool)
{
    return UiTestSupport::solidPicture(look, viewColours.value(view));
}

// A panel picture: white with a black square in its middle.
QImage panelWithSquare(const QString &, const QString &look, bool)
{
    QImage picture = UiTestSupport::solidPicture(look, Qt::white);
    if (look == QStringLiteral("panel")) {
        for (int y = 200; y < 280; ++y)
            for (int x = 640; x < 720; ++x)
                picture.setPixelColor(x, y, Qt::black);
    }
    return picture;
}

bool near(const QColor &actual, const QColor &expected, int tolerance = 6)
{
    return std::abs(actual.red() - expected.red()) <= tolerance &&
           std::abs(actual.green() - expected.green()) <= tolerance &&
           std::abs(actual.blue() - expected.blue()) <= tolerance;
}

// The pointer at a place on the screen, wherever the widget has moved to by then.
void sendMouse(QWidget &widget, QEvent::Type type, const QPoint &global, Qt::MouseButtons buttons)
{
    QMouseEvent event(type, widget.mapFromGlobal(global), global, Qt::LeftButton, buttons, Qt::NoModifier);
    QApplication::sendEvent(&widget, &event);
}

} // namespace

class TestFrameView : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void clickShowsTheNextPage_data();
    void clickShowsTheNextPage();
    void dragMovesTheWindowInsteadOfTurning();
    void fullScreenGridNeitherTurnsNorMoves();
    void rapidClicksEndOnTheModelsView();
    void flashIgnoresASecondShow();
    void flashPhasesHideThePage();
    void panelIsPrintedOnPaperPixelForPixel();
    void opaqueCardFillsItsMask_data();
    void opaqueCardFillsItsMask();
    void picturesOfAnySizeFillThePage_data();
    void picturesOfAnySizeFillThePage();
    void placeholderText_data();
    void placeholderText();
    void fullScreenGridFollowsTheView_data();
    void fullScreenGridFollowsTheView();
    void trayIconDrawsThreeSquares();
    void keysTurnPagesOnceFocused_data();
    void keysTurnPagesOnceFocused();
    void trayIconReadsOnEveryPanel_data();
    void trayIconReadsOnEveryPanel();

private:
    void makeModel(const QStringList &views, const UiTestSupport::PictureMaker &picture = colouredPicture,
                   const std::optional<QString> &error = std::nullopt);
    QColor pageCentre();

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<FrameModel> m_model;
    std::unique_ptr<FrameView> m_view;
};

void TestFrameView::init()
{
    TestSupport::clearDefaults();
    m_dir = std::make_unique<QTemporaryDir>();
    qputenv("TESSARINE_SCREENS", m_dir->filePath(QStringLiteral("screens")).toUtf8());
    qputenv("TESSARINE_VIEWS", TESSARINE_TEST_VIEWS);
}

void TestFrameView::cleanup()
{
    m_view.reset();
    m_model.reset();
}

void TestFrameView::makeModel(const QStringList &views, const UiTestSupport::PictureMaker &picture,
                              const std::optional<QString> &error)
{
    if (!views.isEmpty() || error)
        UiTestSupport::writeScreens(m_dir->filePath(QStringLiteral("screens")), views, picture, error);
    m_model = std::make_unique<FrameModel>(TestSupport::configuration(), std::make_shared<InMemoryCredentialStore>());
    m_view = std::make_unique<FrameView>(*m_model);
    m_view->appearance().setFixedDark(false);
    m_view->resize(m_view->sizeHint());
    m_view->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_view.get()));
}

QColor TestFrameView::pageCentre()
{
    const QImage picture = m_view->grab().toImage();
    return picture.pixelColor(m_view->pageRect().center().toPoint());
}

void TestFrameView::clickShowsTheNextPage_data()
{
    QTest::addColumn<QStringList>("views");
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("expected");

    QTest::newRow("first to second") << QStringList{"page0", "page1", "page2"} << "page0"
                                     << "page1";
    QTest::newRow("last wraps to first") << QStringList{"page0", "page1", "page2"} << "page2"
                                         << "page0";
    QTest::newRow("unknown view goes to the first") << QStringList{"page0", "page1"} << "page7"
                                                    << "page0";
    QTest::newRow("no manifest stays") << QStringList{} << "page0"
                                       << "page0";
}

void TestFrameView::clickShowsTheNextPage()
{
    QFETCH(QStringList, views);
    QFETCH(QString, start);
    QFETCH(QString, expected);

    makeModel(views);
    m_model->setView(start);
    QTest::mouseClick(m_view.get(), Qt::LeftButton, {}, m_view->rect().center());
    QCOMPARE(m_model->view(), expected);
    QCOMPARE(m_view->page().view(), expected);
}

void TestFrameView::dragMovesTheWindowInsteadOfTurning()
{
    makeModel({"page0", "page1"});
    const QPoint before = m_view->pos();
    const QPoint start = m_view->mapToGlobal(m_view->rect().center());
    sendMouse(*m_view, QEvent::MouseButtonPress, start, Qt::LeftButton);
    sendMouse(*m_view, QEvent::MouseMove, start + QPoint(20, 0), Qt::LeftButton);
    sendMouse(*m_view, QEvent::MouseMove, start + QPoint(60, 30), Qt::LeftButton);
    sendMouse(*m_view, QEvent::MouseButtonRelease, start + QPoint(60, 30), Qt::NoButton);

    QCOMPARE(m_model->view(), QStringLiteral("page0"));
    QCOMPARE(m_view->pos(), before + QPoint(60, 30));
}

void TestFrameView::fullScreenGridNeitherTurnsNorMoves()
{
    makeModel({"page0", "page1"});
    m_model->setSize(FrameSize::FullScreen);
    m_view->resize(1200, 800);
    const QPoint before = m_view->pos();
    QTest::mouseClick(m_view.get(), Qt::LeftButton, {}, m_view->rect().center());
    const QPoint start = m_view->mapToGlobal(m_view->rect().center());
    sendMouse(*m_view, QEvent::MouseButtonPress, start, Qt::LeftButton);
    sendMouse(*m_view, QEvent::MouseMove, start + QPoint(80, 40), Qt::LeftButton);
    sendMouse(*m_view, QEvent::MouseButtonRelease, start + QPoint(80, 40), Qt::NoButton);

    QCOMPARE(m_model->view(), QStringLiteral("page0"));
    QCOMPARE(m_view->pos(), before);
}

void TestFrameView::rapidClicksEndOnTheModelsView()
{
    makeModel({"page0", "page1", "page2", "page3"});
    m_model->setTransition(PageTransition::Flip);
    for (int i = 0; i < 3; ++i)
        QTest::mouseClick(m_view.get(), Qt::LeftButton, {}, m_view->rect().center());
    QCOMPARE(m_model->view(), QStringLiteral("page3"));
    QCOMPARE(m_view->page().view(), QStringLiteral("page3"));
    QVERIFY(m_view->page().isAnimating());
    QTRY_VERIFY(!m_view->page().isAnimating());
    QVERIFY(near(pageCentre(), viewColours["page3"]));
}

void TestFrameView::flashIgnoresASecondShow()
{
    makeModel({"page0", "page1", "page2"});
    m_model->setTransition(PageTransition::Flash);
    m_model->show(QStringLiteral("page1"), true);
    m_model->show(QStringLiteral("page2"), true);
    QCOMPARE(m_model->flash(), Flash::Dark);
    QTRY_COMPARE(m_model->flash(), Flash::None);

    QCOMPARE(m_model->view(), QStringLiteral("page1"));
    QCOMPARE(m_view->page().view(), QStringLiteral("page1"));
    // The flash itself is the transition: the new page is simply there.
    QVERIFY(!m_view->page().isAnimating());
    QVERIFY(near(pageCentre(), viewColours["page1"]));
}

void TestFrameView::flashPhasesHideThePage()
{
    makeModel({"page0"});
    QVERIFY(near(pageCentre(), viewColours["page0"]));

    m_model->display().setFlash(Flash::Dark);
    QVERIFY(pageCentre().lightness() < 60);

    m_model->display().setFlash(Flash::Light);
    const QColor empty = pageCentre();
    QVERIFY2(empty.lightness() > 200, qPrintable(empty.name()));

    m_model->display().setFlash(Flash::None);
    QVERIFY(near(pageCentre(), viewColours["page0"]));
}

void TestFrameView::panelIsPrintedOnPaperPixelForPixel()
{
    makeModel({"page0"}, panelWithSquare);
    m_model->setLook(ScreenLook::Panel);
    m_view->resize(m_view->sizeHint());
    QCOMPARE(m_view->pageRect().width(), 1360.0);

    const QImage picture = m_view->grab().toImage();
    const QPoint page = m_view->pageRect().topLeft().toPoint();
    // The panel's white becomes paper; its black stays black, with hard edges.
    QVERIFY(near(picture.pixelColor(page + QPoint(300, 100)), QColor(236, 233, 226), 2));
    QVERIFY(near(picture.pixelColor(page + QPoint(640, 200)), Qt::black, 2));
    QVERIFY(near(picture.pixelColor(page + QPoint(639, 200)), QColor(236, 233, 226), 2));
}

void TestFrameView::opaqueCardFillsItsMask_data()
{
    QTest::addColumn<bool>("dark");
    QTest::newRow("light") << false;
    QTest::newRow("dark") << true;
}

void TestFrameView::opaqueCardFillsItsMask()
{
    QFETCH(bool, dark);
    makeModel({"page0"});
    m_view->appearance().setFixedDark(dark);
    m_view->setOpaqueBody(true);
    // Without a compositing manager a pixel the mask keeps but the card leaves translucent shows
    // black: a dark fringe along the rounded corners.
    const QRegion kept = m_view->mask();
    // Drawn whole, as the window's own pixels are before the X server applies the mask.
    m_view->clearMask();
    QImage drawn(m_view->size(), QImage::Format_ARGB32_Premultiplied);
    drawn.fill(Qt::transparent);
    m_view->render(&drawn, QPoint(), QRegion(), QWidget::DrawChildren);
    QVERIFY(!kept.isEmpty());
    for (const QRect &part : kept) {
        for (int y = part.top(); y <= part.bottom(); ++y) {
            for (int x = part.left(); x <= part.right(); ++x)
                QVERIFY2(qAlpha(drawn.pixel(x, y)) == 255, qPrintable(QStringLiteral("%1,%2").arg(x).arg(y)));
        }
    }
}

void TestFrameView::picturesOfAnySizeFillThePage_data()
{
    QTest::addColumn<QSize>("pictureSize");
    QTest::newRow("a tenth of the size") << QSize(408, 144);
    QTest::newRow("another shape") << QSize(1000, 1000);
    QTest::newRow("one pixel") << QSize(1, 1);
}

void TestFrameView::picturesOfAnySizeFillThePage()
{
    QFETCH(QSize, pictureSize);

    makeModel({"page0"}, [pictureSize](const QString &, const QString &, bool) {
        QImage picture(pictureSize, QImage::Format_RGB32);
        picture.fill(viewColours["page0"]);
        return picture;
    });
    const QImage card = m_view->grab().toImage();
    // Near every corner of the page, inside its rounding, and in its middle.
    const QRect page = m_view->pageRect().toAlignedRect().adjusted(12, 12, -12, -12);
    for (const QPoint point : {page.topLeft(), page.topRight(), page.bottomLeft(), page.bottomRight(), page.center()})
        QVERIFY2(near(card.pixelColor(point), viewColours["page0"]), qPrintable(card.pixelColor(point).name()));
}

void TestFrameView::placeholderText_data()
{
    QTest::addColumn<bool>("withManifest");
    QTest::addColumn<std::optional<QString>>("error");
    QTest::addColumn<bool>("welcoming");
    QTest::addColumn<QString>("expected");

    QTest::newRow("nothing rendered yet")
        << false << std::optional<QString>() << false << "Waiting for the first refresh…";
    QTest::newRow("failed refresh") << true << std::optional<QString>("GitHub did not answer.") << false
                                    << "GitHub did not answer.";
    QTest::newRow("failed refresh during the first welcome")
        << true << std::optional<QString>("Sign in to GitHub in Connections, or remove the GitHub widgets.") << true
        << "Welcome to Tessarine. Choose your first pages in the welcome window.";
}

void TestFrameView::placeholderText()
{
    QFETCH(bool, withManifest);
    QFETCH(std::optional<QString>, error);
    QFETCH(bool, welcoming);
    QFETCH(QString, expected);

    // A manifest that names no views: nothing to show but the reason.
    if (withManifest)
        UiTestSupport::writeScreens(m_dir->filePath(QStringLiteral("screens")), {}, colouredPicture, error);
    FrameModel model(TestSupport::configuration(), std::make_shared<InMemoryCredentialStore>());
    model.refresher().setWelcoming(welcoming);
    QCOMPARE(ScreenImage(model).placeholderText(), expected);
}

void TestFrameView::fullScreenGridFollowsTheView_data()
{
    QTest::addColumn<int>("viewCount");
    QTest::addColumn<QSize>("area");
    QTest::addColumn<QStringList>("before");
    QTest::addColumn<QStringList>("after");

    QTest::newRow("3 views, stacked two")
        << 3 << QSize(3000, 1800) << QStringList{"page0", "page1"} << QStringList{"page1", "page2"};
    QTest::newRow("5 views, one page") << 5 << QSize(1920, 1080) << QStringList{"page0"} << QStringList{"page1"};
    QTest::newRow("2 views, wraps round")
        << 2 << QSize(7000, 1200) << QStringList{"page0", "page1"} << QStringList{"page1", "page0"};
}

void TestFrameView::fullScreenGridFollowsTheView()
{
    QFETCH(int, viewCount);
    QFETCH(QSize, area);
    QFETCH(QStringList, before);
    QFETCH(QStringList, after);

    QStringList views;
    for (int i = 0; i < viewCount; ++i)
        views.append(QStringLiteral("page%1").arg(i));
    makeModel(views);
    m_model->setSize(FrameSize::FullScreen);
    m_view->resize(area);
    FullScreenFrame *grid = m_view->fullScreenFrame();
    QVERIFY(grid->isVisible());
    QCOMPARE(grid->shownViews(), before);

    m_model->show(QStringLiteral("page1"), true);
    QCOMPARE(grid->shownViews(), after);

    // Cells lie inside the panel and never overlap.
    const QList<QRectF> cells = grid->cellRects();
    QCOMPARE(cells.size(), after.size());
    for (const QRectF &cell : cells)
        QVERIFY(grid->panelRect().contains(cell));
    if (cells.size() > 1)
        QVERIFY(!cells[0].intersects(cells[1]));
}

void TestFrameView::trayIconDrawsThreeSquares()
{
    const QImage icon = MenuBarIcon::image(Qt::black);
    QCOMPARE(icon.size(), QSize(22, 16));
    QVERIFY(std::abs(icon.pixelColor(3, 8).alpha() - 89) <= 1);   // 0.35
    QVERIFY(std::abs(icon.pixelColor(11, 8).alpha() - 166) <= 1); // 0.65
    QCOMPARE(icon.pixelColor(19, 8).alpha(), 255);
    QCOMPARE(icon.pixelColor(7, 8).alpha(), 0);  // the gap between squares
    QCOMPARE(icon.pixelColor(3, 4).alpha(), 0);  // above them
    QCOMPARE(icon.pixelColor(3, 11).alpha(), 0); // below them
    QCOMPARE(MenuBarIcon::image(Qt::black, 2).size(), QSize(44, 32));
}

void TestFrameView::keysTurnPagesOnceFocused_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<bool>("menu");

    QTest::newRow("Right: next") << int(Qt::Key_Right) << int(Qt::NoModifier) << "page2" << false;
    QTest::newRow("Left: previous") << int(Qt::Key_Left) << int(Qt::NoModifier) << "page0" << false;
    QTest::newRow("Menu: the menu") << int(Qt::Key_Menu) << int(Qt::NoModifier) << "page1" << true;
    QTest::newRow("Shift+F10: the menu") << int(Qt::Key_F10) << int(Qt::ShiftModifier) << "page1" << true;
    QTest::newRow("Ctrl+Right: nothing") << int(Qt::Key_Right) << int(Qt::ControlModifier) << "page1" << false;
}

void TestFrameView::keysTurnPagesOnceFocused()
{
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(QString, expected);
    QFETCH(bool, menu);

    makeModel({"page0", "page1", "page2"});
    m_model->setView(QStringLiteral("page1"));
    QTest::keyClick(m_view.get(), Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QCOMPARE(m_model->view(), expected);
    auto *shown = m_view->findChild<QMenu *>();
    QCOMPARE(shown && shown->isVisible(), menu);
    if (shown)
        shown->hide();
}

namespace {

double luminance(const QColor &colour)
{
    const auto channel = [](double value) {
        return value <= 0.03928 ? value / 12.92 : std::pow((value + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(colour.redF()) + 0.7152 * channel(colour.greenF()) + 0.0722 * channel(colour.blueF());
}

double contrast(const QColor &a, const QColor &b)
{
    const double first = luminance(a);
    const double second = luminance(b);
    return (std::max(first, second) + 0.05) / (std::min(first, second) + 0.05);
}

} // namespace

void TestFrameView::trayIconReadsOnEveryPanel_data()
{
    QTest::addColumn<QColor>("panel");
    QTest::addColumn<QColor>("text");

    QTest::newRow("dark panel, dark application text") << QColor(0x20, 0x20, 0x20) << QColor(Qt::black);
    QTest::newRow("dark panel, light application text") << QColor(0x20, 0x20, 0x20) << QColor(Qt::white);
    QTest::newRow("light panel, dark application text") << QColor(0xf0, 0xf0, 0xf0) << QColor(Qt::black);
    QTest::newRow("light panel, light application text") << QColor(0xf0, 0xf0, 0xf0) << QColor(Qt::white);
}

// Every one of the three squares shows an edge of at least 3:1 against the panel.
void TestFrameView::trayIconReadsOnEveryPanel()
{
    QFETCH(QColor, panel);
    QFETCH(QColor, text);

    QImage onPanel(22, 16, QImage::Format_RGB32);
    onPanel.fill(panel);
    QPainter painter(&onPanel);
    painter.drawImage(0, 0, MenuBarIcon::image(text));
    painter.end();
    for (const int left : {0, 8, 16}) {
        double best = 0;
        for (int x = left; x < left + 6; ++x) {
            for (int y = 5; y < 11; ++y)
                best = std::max(best, contrast(onPanel.pixelColor(x, y), panel));
        }
        QVERIFY2(best >= 3, qPrintable(QStringLiteral("square at %1: %2:1").arg(left).arg(best)));
    }
}

TESSARINE_UI_TEST_MAIN(TestFrameView)
#include "TestFrameView.moc"
