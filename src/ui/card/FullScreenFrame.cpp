// SPDX-License-Identifier: GPL-3.0-or-later
#include "FullScreenFrame.h"

#include "AnimatedPage.h"
#include "CardAppearance.h"
#include "CardStyle.h"
#include "kit/PageCycle.h"
#include "model/FrameModel.h"

#include <QPainter>

FullScreenFrame::FullScreenFrame(FrameModel &model, const CardAppearance &appearance, QWidget *parent)
    : QWidget(parent)
    , m_model(model)
    , m_appearance(appearance)
    , m_images(model)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    connect(&m_model, &FrameModel::viewChanged, this, [this] { syncCells(true); });
    connect(&m_model, &FrameModel::manifestChanged, this, [this] { syncCells(false); });
    for (auto changed : {&FrameModel::lookChanged, &FrameModel::flashChanged, &FrameModel::imagesChanged,
                         &FrameModel::lastRunErrorChanged, &FrameModel::transitionChanged}) {
        connect(&m_model, changed, this, qOverload<>(&QWidget::update));
    }
    syncCells(false);
}

FullScreenFrame::~FullScreenFrame() = default;

int FullScreenFrame::viewCount() const
{
    return m_model.manifest() ? int(m_model.manifest()->pageNames.size()) : 0;
}

FullScreenLayout::Choice FullScreenFrame::choice() const
{
    return FullScreenLayout::choose(viewCount(), FullScreenLayout::usableSize(size()));
}

double FullScreenFrame::pageWidth() const
{
    return m_model.fittedWidth(choice().width, m_appearance.scale(*this));
}

QStringList FullScreenFrame::viewsToShow() const
{
    const int n = viewCount();
    const int count = n < 2 ? 1 : std::min(n, choice().cells());
    const QStringList views = m_model.manifest() ? m_model.manifest()->pageNames : QStringList();
    QStringList names{m_model.view()};
    while (names.size() < count) {
        const std::optional<QString> next = PageCycle::next(names.last(), views);
        if (!next)
            break;
        names.append(*next);
    }
    return names;
}

QStringList FullScreenFrame::shownViews() const
{
    QStringList views;
    for (const auto &cell : m_cells)
        views.append(cell->view());
    return views;
}

void FullScreenFrame::syncCells(bool animated)
{
    const QStringList names = viewsToShow();
    // A different number of cells is a new grid: it appears as it is, without transitions.
    const bool sameGrid = qsizetype(m_cells.size()) == names.size();
    if (!sameGrid) {
        m_cells.clear();
        for (qsizetype i = 0; i < names.size(); ++i) {
            auto cell = std::make_unique<AnimatedPage>(m_model, m_images);
            cell->setReduceMotion([this] { return m_appearance.reduceMotion(); });
            connect(cell.get(), &AnimatedPage::changed, this, qOverload<>(&QWidget::update));
            m_cells.push_back(std::move(cell));
        }
    }
    for (qsizetype i = 0; i < names.size(); ++i)
        m_cells[size_t(i)]->setView(names[i], animated && sameGrid);
    update();
}

QList<QRectF> FullScreenFrame::cellRects() const
{
    const FullScreenLayout::Choice grid = choice();
    const double width = pageWidth();
    const double height = CardStyle::pageHeight(width);
    const double spacing = FullScreenLayout::spacing;
    const QSizeF gridSize(grid.columns * width + (grid.columns - 1) * spacing,
                          grid.rows * height + (grid.rows - 1) * spacing);
    const QPointF origin = QRectF(rect()).center() - QPointF(gridSize.width() / 2, gridSize.height() / 2);
    QList<QRectF> rects;
    for (size_t index = 0; index < m_cells.size(); ++index) {
        const int column = int(index) % grid.columns;
        const int row = int(index) / grid.columns;
        rects.append(
            QRectF(origin.x() + column * (width + spacing), origin.y() + row * (height + spacing), width, height));
    }
    return rects;
}

void FullScreenFrame::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    syncCells(false);
}

QRectF FullScreenFrame::panelRect() const
{
    const double margin = FullScreenLayout::outerMargin;
    return QRectF(rect()).adjusted(margin, margin, -margin, -margin);
}

void FullScreenFrame::finishTransitions()
{
    for (const auto &cell : m_cells)
        cell->finish();
}

void FullScreenFrame::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const bool dark = m_appearance.dark(*this);
    CardStyle::paintGlass(painter, panelRect(), panelRadius, dark, m_appearance.opaque());
    const QList<QRectF> rects = cellRects();
    const double radius = CardStyle::pageRadius(pageWidth());
    for (qsizetype i = 0; i < rects.size(); ++i)
        m_cells[size_t(i)]->paint(painter, rects[i], radius, dark);
}
