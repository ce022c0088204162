// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "kit/Widget.h"

#include <QAbstractButton>

// One widget in the widget inspector's list: a badge in its group's colour with the widget's
// symbol, its short title and its description, and a check mark when it is the widget in the
// slot. Pressing it chooses the widget; whether it is current is set from outside.
class WidgetRow : public QAbstractButton
{
    Q_OBJECT

public:
    explicit WidgetRow(const Widget &widget, QWidget *parent = nullptr);

    const Widget &widget() const { return m_widget; }
    bool isCurrent() const { return isChecked(); }
    void setCurrent(bool current);

    // The title without its group's name: "GitHub: contribution year" in the group "GitHub"
    // gives "Contribution year" (first letter upper-cased); a title without that prefix stays.
    static QString shortTitle(const Widget &widget);
    // The badge colour of a catalogue group.
    static QColor groupColour(const QString &group, const QPalette &palette);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void nextCheckState() override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void paintBadge(QPainter &painter, const QRectF &badge);

    const Widget m_widget;
};
