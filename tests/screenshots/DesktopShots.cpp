// SPDX-License-Identifier: GPL-3.0-or-later
// The application icon as launchers and docks show it: at several sizes on a light and a dark
// panel; the tray icon on a light and a #202020 panel, in the text colours of a light and a dark
// desktop; the bottom of the tray menu with "Start at Login"; and what sway users are told once.

#include "RunConfiguration.h"
#include "ScreenshotSupport.h"
#include "model/FrameModel.h"
#include "platform/InMemoryCredentialStore.h"
#include "ui/card/DesktopStacking.h"
#include "ui/card/FrameMenu.h"
#include "ui/card/MenuBarIcon.h"

#include <QApplication>
#include <QBoxLayout>
#include <QDir>
#include <QLabel>
#include <QMessageBox>
#include <QPainter>
#include <QSvgRenderer>

namespace {

const QString iconFile = QStringLiteral(TESSARINE_TEST_RESOURCES "/app.tessarine.Tessarine.svg");

QPixmap iconAt(int side)
{
    QSvgRenderer renderer(iconFile);
    QPixmap picture(side, side);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    renderer.render(&painter);
    return picture;
}

// Gives `row` the colour of a panel and a row layout.
QHBoxLayout *panelRow(QWidget *row, const QColor &background, const QMargins &margins, int spacing)
{
    row->setAutoFillBackground(true);
    QPalette palette = row->palette();
    palette.setColor(QPalette::Window, background);
    row->setPalette(palette);
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(margins);
    layout->setSpacing(spacing);
    return layout;
}

// One row of the icon at launcher sizes on a panel of `background`.
QWidget *iconRow(const QColor &background)
{
    auto *row = new QWidget;
    QHBoxLayout *layout = panelRow(row, background, QMargins(24, 24, 24, 24), 32);
    for (const int side : {256, 128, 64, 48, 32, 24, 16}) {
        auto *label = new QLabel;
        label->setPixmap(iconAt(side));
        label->setAlignment(Qt::AlignCenter);
        layout->addWidget(label, 0, Qt::AlignBottom);
    }
    return row;
}

// The tray icon drawn in `text` on a panel of `background`: as the tray shows it at scale 1 and
// at scale 2, and the scale-2 picture enlarged four times so that its pixels can be seen.
QWidget *trayRow(const QColor &background, const QColor &text)
{
    auto *row = new QWidget;
    QHBoxLayout *layout = panelRow(row, background, QMargins(16, 8, 16, 8), 24);
    const QImage once = MenuBarIcon::image(text, 1);
    QImage twice = MenuBarIcon::image(text, 2);
    twice.setDevicePixelRatio(1);
    for (const QImage &picture :
         {once, twice, twice.scaled(twice.size() * 4, Qt::KeepAspectRatio, Qt::FastTransformation)}) {
        auto *label = new QLabel;
        label->setPixmap(QPixmap::fromImage(picture));
        layout->addWidget(label, 0, Qt::AlignVCenter);
    }
    layout->addStretch();
    return row;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    bool saved = true;

    auto *icons = new QWidget;
    auto *column = new QVBoxLayout(icons);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(iconRow(QColor(0xf6, 0xf5, 0xf4)));
    column->addWidget(iconRow(QColor(0x24, 0x24, 0x24)));
    icons->show();
    ScreenshotSupport::settle();
    saved &= ScreenshotSupport::save(icons, QStringLiteral("icon"));

    // A light desktop's dark text and a dark desktop's light text, each on both panels.
    auto *tray = new QWidget;
    auto *trays = new QVBoxLayout(tray);
    trays->setContentsMargins(0, 0, 0, 0);
    trays->setSpacing(0);
    for (const QColor &text : {QColor(0x24, 0x24, 0x24), QColor(0xf0, 0xf0, 0xf0)}) {
        trays->addWidget(trayRow(QColor(0xf6, 0xf5, 0xf4), text));
        trays->addWidget(trayRow(QColor(0x20, 0x20, 0x20), text));
    }
    tray->show();
    ScreenshotSupport::settle();
    saved &= ScreenshotSupport::save(tray, QStringLiteral("tray-icon-panels"));
    delete tray;

    QMessageBox notice(QMessageBox::Information, QStringLiteral("Tessarine"),
                       DesktopStacking::notice(QStringLiteral("sway")), QMessageBox::Ok);
    notice.show();
    ScreenshotSupport::settle();
    saved &= ScreenshotSupport::save(&notice, QStringLiteral("sway-notice"));

    FrameModel model(TestSupport::configuration(), std::make_shared<InMemoryCredentialStore>());
    FrameMenu menu(model);
    menu.popup(QPoint(0, 0));
    ScreenshotSupport::settle();
    saved &= ScreenshotSupport::save(&menu, QStringLiteral("menu-start-at-login"));

    delete icons;
    return saved ? 0 : 1;
}
