// SPDX-License-Identifier: GPL-3.0-or-later
#include "Snapshot.h"

#include "model/FrameModel.h"
#include "render/PictureFile.h"
#include "ui/card/FrameView.h"

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QTextStream>
#include <cmath>

namespace Snapshot {

namespace {

// The grey behind the card: a white level of 0.18 on dark desktops, 0.86 on light ones.
QColor backdrop(bool dark)
{
    const float level = dark ? 0.18f : 0.86f;
    return QColor::fromRgbF(level, level, level);
}

QImage draw(FrameView &view, bool dark)
{
    view.appearance().setFixedScale(scale);
    view.appearance().setFixedDark(dark);
    view.finishTransitions();
    const QSizeF size = view.cardWindowSize();
    view.resize(size.toSize());
    const QSize pixels(int(std::ceil(size.width() * scale)), int(std::ceil(size.height() * scale)));
    QImage image(pixels, QImage::Format_ARGB32_Premultiplied);
    if (image.isNull())
        return image;
    image.setDevicePixelRatio(scale);
    image.fill(backdrop(dark));
    QPainter painter(&image);
    view.render(&painter, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}

QString fileName(ScreenLook look, const QString &view, bool dark)
{
    return look.name() + QLatin1Char('-') + view + QLatin1Char('-') +
           (dark ? QStringLiteral("dark") : QStringLiteral("light")) + QStringLiteral(".png");
}

} // namespace

void save(FrameView &view, bool dark, const QString &path)
{
    const QImage image = draw(view, dark);
    if (image.isNull() || !PictureFile::write(image, path))
        return;
    QTextStream(stdout) << "snapshot " << QFileInfo(path).fileName() << Qt::endl;
}

void run(FrameModel &model, const QString &directory)
{
    QDir().mkpath(directory);
    model.setSize(FrameSize::Large);
    FrameView view(model);
    for (const ScreenLook look : ScreenLook::all()) {
        model.setLook(look);
        const QStringList views = model.manifest() ? model.manifest()->pageNames : QStringList();
        for (const QString &name : views) {
            model.setView(name);
            for (const bool dark : {false, true})
                save(view, dark, QDir(directory).filePath(fileName(look, name, dark)));
        }
    }
}

} // namespace Snapshot
