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
    // Saves the window's frame now.
    void save();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QPointer<QWidget> m_window;
    QString m_name;
};
