// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "kit/Widget.h"

#include <QAbstractButton>
#include <QUuid>
#include <optional>

class FrameModel;
class QMenu;
class QVariantAnimation;

// One slot of the page on the editor's canvas, laid over the page image. An empty slot invites
// "Add Widget"; a slot whose image is out of date shows its widget with "Updating…" until the
// refresh has drawn it, or "Not updated: " and the error once a refresh failed; a current slot lets the image show
// through. The selected slot is outlined in the accent colour, a hovered one more faintly, with a tag naming its
// widget. Clicking selects the slot; its menu chooses or removes the widget. For assistive technology it is one button,
// "Slot 2: Countdown" or "Slot 2: empty".
class SlotOverlay : public QAbstractButton
{
    Q_OBJECT

public:
    SlotOverlay(FrameModel &model, int index, QWidget *parent = nullptr);

    int index() const { return m_index; }
    void setPageId(const QUuid &id);
    void setSelected(bool selected);
    void setHovered(bool hovered);
    bool isSelected() const { return m_selected; }
    bool isHovered() const { return m_hovered; }

    // The catalogue's widget in this slot; none for an empty slot, a slot beyond the page's
    // slots or a widget the catalogue lacks.
    std::optional<Widget> widget() const;
    // Whether the "Updating…" layer is shown: the slot holds a widget its image does not show yet.
    bool isUpdating() const;
    // Whether that layer says the last refresh failed ("Not updated: …") rather than "Updating…".
    bool showsFailure() const;

    // The slot's menu: "Choose Widget" with the catalogue's widgets by group, and "Remove
    // Widget" when the slot holds one. The caller shows it; it deletes itself once closed.
    QMenu *makeMenu();

    // Reads the slot's widget and state from the model again.
    void reload();

Q_SIGNALS:
    void hoverEntered(int index);
    void hoverLeft(int index);

protected:
    void paintEvent(QPaintEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    bool hitButton(const QPoint &position) const override;

private:
    void paintUpdating(QPainter &painter, const QRectF &shape, const Widget &widget);
    void paintEmpty(QPainter &painter, const QRectF &shape);
    void paintHighlight(QPainter &painter, const QRectF &shape);
    void paintNameTag(QPainter &painter, const QRectF &shape, const Widget &widget);
    void paintSpinner(QPainter &painter, const QPointF &centre, double size);
    void updateSpinner();
    void updateAccessibleName();

    FrameModel &m_model;
    const int m_index;
    QUuid m_pageId;
    bool m_selected = false;
    bool m_hovered = false;
    QVariantAnimation *m_spinner = nullptr;
};
