// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QPoint>
#include <QString>
#include <optional>

class FrameView;
class QProcess;

// The card as a layer surface, for Wayland compositors that keep no window beneath the others
// or on every workspace but offer the layer-shell protocol (sway and the other wlroots
// desktops). The surface belongs to the helper program tessarine-layer-card; this process keeps
// the card view (shown to the toolkit but never mapped), draws each of its frames and sends them
// to the helper, which reports clicks, right clicks and drags back. The menu opens from here,
// through XWayland. The helper answers "unsupported" where the compositor has no layer shell;
// that, a helper that fails to start or one that ends, ends the layer card (`ended`) and the
// window shows the card as everywhere else.
class LayerCard : public QObject
{
    Q_OBJECT

public:
    // The helper program (`chosen` when given, else the installed one), or empty when there is
    // none.
    static QString helperPath(const std::optional<QString> &chosen);
    // Whether this session shows the card through `helper`: a Wayland session whose desktop
    // ignores the stacking hints of the X11 card, with the helper installed.
    static bool wanted(const QString &helper);

    LayerCard(const QString &helper, FrameView &view, QObject *parent = nullptr);
    ~LayerCard() override;

    void start();
    // The helper has its surface and shows the frames.
    bool isReady() const { return m_ready; }
    // The scale of the output the surface is on, once the helper has told it.
    int scale() const { return m_scale; }
    // Above ordinary windows (keep on top) or beneath them; whether the card takes clicks.
    void setStacking(bool top, bool takesClicks);

Q_SIGNALS:
    void ended();
    // A drag ended with the card's top-left corner there.
    void moved(const QPoint &position);
    void scaleChanged();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void readReports();
    void take(const QByteArray &report);
    void finish();
    void sendPlace();
    void scheduleFrame();
    void sendFrame();

    QString m_helper;
    FrameView &m_view;
    QProcess *m_process = nullptr;
    bool m_ready = false;
    bool m_ended = false;
    int m_scale = 0;
    bool m_top = false;
    bool m_takesClicks = true;
    bool m_frameScheduled = false;
    bool m_frameOwed = false; // a frame changed while the helper was still reading the last
};
