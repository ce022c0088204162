// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QRectF>
#include <QWidget>

class FrameModel;
class FrameView;

// A small, calm dot in the card's lower right corner, beside the page, while the card shows
// pictures older than a failed refresh; its tooltip reads "Last refresh failed: …". It goes
// when a refresh succeeds. Clicks and drags pass on to the card.
class FailureMark : public QWidget
{
    Q_OBJECT

public:
    FailureMark(FrameModel &model, FrameView &card);

    // Where the dot sits for a page at `page` on a card whose border is `inset` wide.
    static QRectF placeFor(const QRectF &page, double inset);

protected:
    void paintEvent(QPaintEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void follow();

    FrameModel &m_model;
    FrameView &m_card;
};
