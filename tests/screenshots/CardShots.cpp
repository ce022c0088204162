// SPDX-License-Identifier: GPL-3.0-or-later
// Pictures of the desktop card for `make screenshots`: the card in every look and size, light and
// dark, a flip and a slide caught halfway, the e-paper flash, the card with nothing rendered yet,
// the full-screen grid for 1, 2, 3 and 5 views, and the open tray menu. Each is drawn over a
// calm desktop backdrop, from the rendered pages in tests/fixtures/ui/screens.

#include "RunConfiguration.h"
#include "ScreenshotSupport.h"
#include "TestSupport.h"
#include "model/FrameModel.h"
#include "platform/InMemoryCredentialStore.h"
#include "platform/ReduceMotion.h"
#include "ui/card/FrameMenu.h"
#include "ui/card/FrameView.h"
#include "ui/card/FullScreenFrame.h"
#include "ui/card/MenuBarIcon.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPainter>
#include <QPainterPath>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>
#include <algorithm>
#include <cmath>
#include <memory>

namespace {

// Pictures are drawn at twice the size, as on a high-density display.
constexpr double pictureScale = 2;
// How much of the desktop shows around the card's window.
constexpr int backdropMargin = 40;

// A screens directory holding the first `count` rendered views of the fixture.
class FixtureScreens
{
public:
    explicit FixtureScreens(int count)
    {
        const QDir source(TestSupport::fixturePath(QStringLiteral("ui/screens")));
        QJsonObject manifest =
            QJsonDocument::fromJson(TestSupport::readFile(source.filePath("manifest.json"))).object();
        const QJsonArray views = manifest.value("views").toArray();
        const QJsonArray titles = manifest.value("titles").toArray();
        QJsonArray keptViews;
        QJsonArray keptTitles;
        const QDir target(path());
        QDir().mkpath(target.path());
        for (int i = 0; i < count && i < views.size(); ++i) {
            const QString view = views.at(i).toString();
            keptViews.append(view);
            keptTitles.append(titles.at(i));
            for (const QString &file : source.entryList({view + QStringLiteral("*.png")}))
                QFile::copy(source.filePath(file), target.filePath(file));
        }
        manifest.insert("views", keptViews);
        manifest.insert("titles", keptTitles);
        TestSupport::writeFile(target.filePath("manifest.json"), QJsonDocument(manifest).toJson());
    }

    QString path() const { return m_dir.filePath(QStringLiteral("screens")); }

private:
    QTemporaryDir m_dir;
};

// A model on its own screens directory, with the display options a picture asks for.
std::unique_ptr<FrameModel> makeModel(const FixtureScreens &screens)
{
    qputenv("TESSARINE_SCREENS", screens.path().toUtf8());
    return std::make_unique<FrameModel>(TestSupport::configuration(), std::make_shared<InMemoryCredentialStore>());
}

// A quiet wallpaper: a soft diagonal wash, light or dark.
void paintDesktop(QPainter &painter, const QRectF &area, bool dark)
{
    QLinearGradient wash(area.topLeft(), area.bottomRight());
    wash.setColorAt(0, dark ? QColor(44, 52, 66) : QColor(196, 210, 222));
    wash.setColorAt(1, dark ? QColor(28, 30, 38) : QColor(226, 220, 208));
    painter.fillRect(area, wash);
}

// `view` drawn as it stands over the desktop, `margin` points of desktop showing around it.
QImage onDesktop(QWidget &view, bool dark, int margin, double scale = pictureScale)
{
    const QSize points = view.size() + QSize(2 * margin, 2 * margin);
    QImage picture((QSizeF(points) * scale).toSize(), QImage::Format_ARGB32_Premultiplied);
    picture.setDevicePixelRatio(scale);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    paintDesktop(painter, QRectF(QPointF(), QSizeF(points)), dark);
    view.render(&painter, QPoint(margin, margin), QRegion(), QWidget::DrawChildren);
    return picture;
}

void save(const QImage &picture, const QString &name)
{
    const QString path = QDir(ScreenshotSupport::outputDir()).filePath(name + QStringLiteral(".png"));
    const bool saved = picture.save(path);
    QTextStream(saved ? stdout : stderr) << (saved ? "" : "could not write ") << path << '\n';
}

// A card window as the application makes it, sized to the card for the model's options.
std::unique_ptr<FrameView> makeCard(FrameModel &model, bool dark)
{
    auto view = std::make_unique<FrameView>(model);
    view->appearance().setFixedScale(pictureScale);
    view->appearance().setFixedDark(dark);
    view->resize(view->sizeHint());
    return view;
}

void cardsInEveryLookAndSize()
{
    FixtureScreens screens(5);
    auto model = makeModel(screens);
    model->setView(QStringLiteral("page2"));
    const QList<FrameSize> sizes{FrameSize::Small, FrameSize::Medium, FrameSize::Large};
    for (const ScreenLook look : {ScreenLook::Mono, ScreenLook::Colour, ScreenLook::Panel}) {
        model->setLook(look);
        // The panel is always drawn at its own pixel width, so its size is not a choice.
        for (const FrameSize size : look == ScreenLook::Panel ? QList<FrameSize>{FrameSize::Medium} : sizes) {
            model->setSize(size);
            for (const bool dark : {false, true}) {
                auto card = makeCard(*model, dark);
                const QString sizeName = look == ScreenLook::Panel ? QString() : QLatin1Char('-') + size.name();
                save(onDesktop(*card, dark, backdropMargin),
                     QStringLiteral("card-%1%2-%3").arg(look.name(), sizeName, dark ? "dark" : "light"));
            }
        }
    }
}

// The transition caught partway: the card is drawn once the animation has run for `elapsed`.
void transitionPartway(PageTransition transition, std::chrono::milliseconds elapsed, const QString &name)
{
    FixtureScreens screens(5);
    auto model = makeModel(screens);
    model->setLook(ScreenLook::Colour);
    model->setTransition(transition);
    ReduceMotion::instance().setOverride(false);
    auto card = makeCard(*model, false);
    card->show();
    if (!QTest::qWaitForWindowExposed(card.get()))
        return;
    card->showNextPage();
    QTest::qWait(int(elapsed.count()));
    save(onDesktop(*card, false, backdropMargin), name);
    QTest::qWait(1000);
}

void flashAndPlaceholder()
{
    FixtureScreens screens(5);
    auto model = makeModel(screens);
    auto card = makeCard(*model, false);
    model->display().setFlash(Flash::Dark);
    save(onDesktop(*card, false, backdropMargin), QStringLiteral("card-flash-dark"));
    model->display().setFlash(Flash::Light);
    save(onDesktop(*card, false, backdropMargin), QStringLiteral("card-flash-light"));
    model->display().setFlash(Flash::None);

    FixtureScreens nothing(0);
    QFile::remove(QDir(nothing.path()).filePath(QStringLiteral("manifest.json")));
    auto empty = makeModel(nothing);
    for (const bool dark : {false, true}) {
        auto waiting = makeCard(*empty, dark);
        save(onDesktop(*waiting, dark, backdropMargin), QStringLiteral("card-waiting-%1").arg(dark ? "dark" : "light"));
    }
}

// Pictures older than a failed refresh, with the card's mark; and the first welcome's card.
void failureAndWelcome()
{
    FixtureScreens screens(5);
    const QString manifestPath = QDir(screens.path()).filePath(QStringLiteral("manifest.json"));
    QJsonObject manifest = QJsonDocument::fromJson(TestSupport::readFile(manifestPath)).object();
    manifest.insert("ok", false);
    manifest.insert("error", "Sign in to GitHub in Connections, or remove the GitHub widgets.");
    TestSupport::writeFile(manifestPath, QJsonDocument(manifest).toJson());
    auto model = makeModel(screens);
    model->setLook(ScreenLook::Colour);
    for (const FrameSize size : {FrameSize::Small, FrameSize::Medium}) {
        model->setSize(size);
        for (const bool dark : {false, true}) {
            auto card = makeCard(*model, dark);
            save(onDesktop(*card, dark, backdropMargin),
                 QStringLiteral("card-failed-%1-%2").arg(size.name(), dark ? "dark" : "light"));
        }
    }

    FixtureScreens nothing(0);
    QFile::remove(QDir(nothing.path()).filePath(QStringLiteral("manifest.json")));
    auto first = makeModel(nothing);
    first->refresher().setWelcoming(true);
    auto welcoming = makeCard(*first, false);
    save(onDesktop(*welcoming, false, backdropMargin), QStringLiteral("card-welcome-light"));
}

// The full-screen grid on a screen of `area` points, with the first `count` views.
void fullScreenGrid(int count, const QSize &area, ScreenLook look, bool dark)
{
    FixtureScreens screens(count);
    auto model = makeModel(screens);
    model->setLook(look);
    model->setSize(FrameSize::FullScreen);
    FrameView view(*model);
    view.appearance().setFixedScale(1);
    view.appearance().setFixedDark(dark);
    view.resize(area);
    // Shown off screen, so the grid inside takes the window's size as it would on the desktop.
    view.setAttribute(Qt::WA_DontShowOnScreen);
    view.show();
    const FullScreenLayout::Choice grid = view.fullScreenFrame()->choice();
    QTextStream(stdout) << count << " views on " << area.width() << " x " << area.height() << ": " << grid.columns
                        << " column(s), " << grid.rows << " row(s), pages " << view.fullScreenFrame()->pageWidth()
                        << " wide\n";
    save(onDesktop(view, dark, 0, 1),
         QStringLiteral("fullscreen-%1-views-%2x%3").arg(count).arg(area.width()).arg(area.height()));
}

void fullScreenGrids()
{
    fullScreenGrid(1, QSize(1920, 1080), ScreenLook::Colour, false);
    fullScreenGrid(2, QSize(2560, 1440), ScreenLook::Mono, false);
    fullScreenGrid(2, QSize(1440, 2560), ScreenLook::Colour, true);
    fullScreenGrid(3, QSize(3000, 1800), ScreenLook::Colour, false);
    fullScreenGrid(5, QSize(1920, 1080), ScreenLook::Mono, true);
    fullScreenGrid(5, QSize(2000, 2400), ScreenLook::Colour, false);
}

// The open tray menu under a strip of panel holding the tray icon, with one submenu open.
void trayMenu(bool dark, const QString &submenu, const QString &name)
{
    FixtureScreens screens(5);
    auto model = makeModel(screens);
    model->setLook(ScreenLook::Colour);
    FrameMenu menu(*model);
    menu.popup(QPoint(200, 100));
    QTest::qWait(50);
    QMenu *opened = nullptr;
    for (QAction *action : menu.actions()) {
        if (action->text() == submenu)
            opened = action->menu();
    }
    menu.hide();

    const int panel = 28;
    const int gap = 4;
    const QSize mainSize = menu.sizeHint();
    const QSize subSize = opened ? opened->sizeHint() : QSize();
    menu.resize(mainSize);
    // The submenu opens beside its item, its first choice level with it; a long one reaches
    // below the menu.
    int subTop = 0;
    if (opened) {
        opened->resize(subSize);
        subTop =
            menu.actionGeometry(opened->menuAction()).top() - opened->actionGeometry(opened->actions().first()).top();
    }
    const QSize points(mainSize.width() + subSize.width() + 2 * backdropMargin,
                       std::max(mainSize.height(), subTop + subSize.height()) + panel + gap + backdropMargin);
    QImage picture(points * pictureScale, QImage::Format_ARGB32_Premultiplied);
    picture.setDevicePixelRatio(pictureScale);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    paintDesktop(painter, QRectF(QPointF(), QSizeF(points)), dark);
    const QColor panelColour = dark ? QColor(20, 20, 24, 235) : QColor(248, 248, 250, 235);
    painter.fillRect(QRect(0, 0, points.width(), panel), panelColour);
    const QImage icon = MenuBarIcon::image(dark ? Qt::white : Qt::black, pictureScale);
    painter.drawImage(QPoint(backdropMargin + 8, (panel - 16) / 2), icon);
    const QPoint menuAt(backdropMargin, panel + gap);
    menu.render(&painter, menuAt);
    if (opened)
        opened->render(&painter, menuAt + QPoint(mainSize.width() - 2, subTop));
    painter.end();
    save(picture, name);
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tessarine"));
    qputenv("TESSARINE_VIEWS", TESSARINE_TEST_VIEWS);
    using namespace std::chrono_literals;

    cardsInEveryLookAndSize();
    transitionPartway(PageTransition::Flip, 160ms, QStringLiteral("card-flip-leaving"));
    transitionPartway(PageTransition::Flip, 400ms, QStringLiteral("card-flip-arriving"));
    transitionPartway(PageTransition::Slide, 120ms, QStringLiteral("card-slide"));
    flashAndPlaceholder();
    failureAndWelcome();
    fullScreenGrids();
    trayMenu(false, QStringLiteral("Look"), QStringLiteral("tray-menu-light"));
    trayMenu(false, QStringLiteral("AI Plans"), QStringLiteral("tray-menu-plans"));
    return 0;
}
