// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

class QWidget;

// Keeps a top-level window's frame in the user defaults store under a name, the way the window
// system's frame autosave does: saved whenever the shown window moves or is resized.
class FrameAutosave : public QObject
{
    Q_OBJECT

public:
    FrameAutosave(QWidget &window, QString name);

    // Puts the window at its saved frame; false when none was saved.
    bool restore();
    // Saves the window's frame now (nothing while held).
    void save();
    // While held, moves are not saved: the frame shown is not the one to come back to.
    void hold(bool held) { m_held = held; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QPointer<QWidget> m_window;
    QString m_name;
    bool m_held = false;
};
