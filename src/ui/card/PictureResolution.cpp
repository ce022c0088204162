// SPDX-License-Identifier: GPL-3.0-or-later
#include "PictureResolution.h"

#include "FullScreenLayout.h"
#include "model/FrameModel.h"

#include <QGuiApplication>
#include <QScreen>
#include <algorithm>
#include <cmath>

PictureResolution::PictureResolution(FrameModel &model, QObject *parent)
    : QObject(parent)
    , m_model(model)
{
    connect(&m_model, &FrameModel::sizeChanged, this, &PictureResolution::update);
    connect(&m_model, &FrameModel::manifestChanged, this, &PictureResolution::update);
    connect(qApp, &QGuiApplication::screenAdded, this, [this](QScreen *screen) {
        watch(screen);
        update();
    });
    // Queued: while the signal is delivered the screen is still listed.
    connect(qApp, &QGuiApplication::screenRemoved, this, &PictureResolution::update, Qt::QueuedConnection);
    const QList<QScreen *> screens = QGuiApplication::screens();
    for (QScreen *screen : screens)
        watch(screen);
    update();
}

void PictureResolution::watch(QScreen *screen)
{
    connect(screen, &QScreen::availableGeometryChanged, this, &PictureResolution::update);
    connect(screen, &QScreen::logicalDotsPerInchChanged, this, &PictureResolution::update);
    connect(screen, &QScreen::physicalDotsPerInchChanged, this, &PictureResolution::update);
}

int PictureResolution::widthFor(FrameSize size, int viewCount, const QList<Screen> &screens)
{
    double widest = 0;
    const QList<Screen> known = screens.isEmpty() ? QList<Screen>{Screen{}} : screens;
    for (const Screen &screen : known) {
        double points = FrameSize(FrameSize::Large).contentWidth();
        if (size == FrameSize::FullScreen) {
            const FullScreenLayout::Choice grid =
                FullScreenLayout::choose(std::max(viewCount, 1), FullScreenLayout::usableSize(screen.available));
            points = std::max(points, grid.width);
        }
        widest = std::max(widest, points * std::max<qreal>(screen.pixelRatio, 1));
    }
    return int(std::ceil(widest));
}

void PictureResolution::update()
{
    QList<Screen> screens;
    const QList<QScreen *> all = QGuiApplication::screens();
    for (const QScreen *screen : all)
        screens.append(Screen{screen->availableGeometry().size(), std::max(screen->devicePixelRatio(), m_leastRatio)});
    const int views = m_model.manifest() ? int(m_model.manifest()->pageNames.size()) : 1;
    m_model.setPictureWidthLimit(widthFor(m_model.size(), views, screens));
}

void PictureResolution::setLeastPixelRatio(qreal ratio)
{
    if (qFuzzyCompare(ratio, m_leastRatio))
        return;
    m_leastRatio = ratio;
    update();
}
