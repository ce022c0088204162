#pragma once

#include "model/StartPages.h"

#include <QWidget>

class QLabel;

// One starting set on the welcome flow's pages step: a radio mark, the set's title over the
// titles of its pages, and how many pages it makes. The whole option is the target: a click, or
// Space while it has focus, chooses it; Up and Down ask for the option above or below, as in a
// group of radio buttons.
class StartOptionWidget : public QWidget
{
    Q_OBJECT
public:
    explicit StartOptionWidget(StartPages::Start start, QWidget *parent = nullptr);

    StartPages::Start start() const { return m_start; }
    void setOption(const StartPages::StartOption &option);
    void setSelected(bool selected);
    bool isSelected() const { return m_selected; }

    QString title() const;
    QString detail() const;
    // "1 page", "5 pages"; empty for a set without a count.
    QString countText() const;

Q_SIGNALS:
    void chosen(StartPages::Start start);
    // Up (−1) or Down (+1) was pressed.
    void neighbourRequested(StartPages::Start start, int step);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    class RadioMark;

    StartPages::Start m_start;
    bool m_selected = false;
    QWidget *m_mark = nullptr;
    QLabel *m_title = nullptr;
    QLabel *m_detail = nullptr;
    QLabel *m_count = nullptr;
};
