#pragma once

#include "PageImage.h"

#include <QImage>
#include <QList>
#include <QRectF>
#include <QWidget>
#include <optional>

class EditorState;
class FrameModel;
class SlotOverlay;
struct Catalogue;
struct Page;

// The selected page, large, in the middle of the editor: its last rendered image with one
// overlay per slot of its layout, and a hint below. Clicking a slot selects it and clicking
// beside the page clears the slot selection. Keys: Escape clears the slot selection, Delete
// empties the selected slot, the left and right arrows step through the slots and stop at the
// ends. Escape goes to the window (which it closes) only while no slot is selected.
class PageCanvas : public QWidget
{
    Q_OBJECT

public:
    PageCanvas(FrameModel &model, EditorState &state, QWidget *parent = nullptr);

    const QList<SlotOverlay *> &overlays() const { return m_overlays; }
    std::optional<int> hovered() const { return m_hovered; }
    // Where the page image is drawn, in the canvas's coordinates.
    QRectF pageRect() const;
    QString hint() const;

    // The page's slots as fractions of the page, from its layout in the catalogue; a layout the
    // catalogue lacks counts as one full-width column.
    static QList<QRectF> slotRects(const Catalogue &catalogue, const Page &page);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Claims Escape ahead of the window's shortcuts while it has a selection to drop.
    bool claimsKey(QEvent *event) const;
    std::optional<Page> page() const;
    void pageChanged();
    void rebuildOverlays();
    void placeOverlays();
    void reloadOverlays();
    void showSelection();
    void setHovered(std::optional<int> hovered);
    void emptySelectedSlot();
    void stepSelection(int step);
    int lastSlot() const;
    QRectF hintRect() const;
    void paintShadow(QPainter &painter, const QRectF &page);

    FrameModel &m_model;
    EditorState &m_state;
    PageImage m_image;
    QList<SlotOverlay *> m_overlays;
    QList<QRectF> m_slotRects;
    std::optional<int> m_hovered;
    QImage m_shadow;
    QSizeF m_shadowSize;
};
