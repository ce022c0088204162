// SPDX-License-Identifier: GPL-3.0-or-later
// The application icon as launchers and docks show it: at several sizes on a light and a dark
// panel, and the bottom of the tray menu with "Start at Login".

#include "ScreenshotSupport.h"
#include "model/FrameModel.h"
#include "platform/InMemoryCredentialStore.h"
#include "ui/card/FrameMenu.h"

#include <QApplication>
#include <QBoxLayout>
#include <QDir>
#include <QLabel>
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

// One row of the icon at launcher sizes on a panel of `background`.
QWidget *iconRow(const QColor &background)
{
    auto *row = new QWidget;
    row->setAutoFillBackground(true);
    QPalette palette = row->palette();
    palette.setColor(QPalette::Window, background);
    row->setPalette(palette);
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(24, 24, 24, 24);
    layout->setSpacing(32);
    for (const int side : {256, 128, 64, 48, 32, 24, 16}) {
        auto *label = new QLabel;
        label->setPixmap(iconAt(side));
        label->setAlignment(Qt::AlignCenter);
        layout->addWidget(label, 0, Qt::AlignBottom);
    }
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

    FrameModel model(std::make_shared<InMemoryCredentialStore>(), nullptr);
    FrameMenu menu(model);
    menu.popup(QPoint(0, 0));
    ScreenshotSupport::settle();
    saved &= ScreenshotSupport::save(&menu, QStringLiteral("menu-start-at-login"));

    delete icons;
    return saved ? 0 : 1;
}
