// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QPointer>

class EditorState;
class QWidget;

// Escape in the editor first lets go of the chosen slot, wherever the focus is (a widget row of
// the inspector, the page list), and only a second Escape closes the window.
class SlotEscape : public QObject
{
    Q_OBJECT

public:
    SlotEscape(QWidget &window, EditorState &state);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool isEscapeForThisWindow(QObject *watched, QEvent *event) const;

    QPointer<QWidget> m_window;
    EditorState &m_state;
};
