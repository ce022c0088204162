// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "FrameStream.h"

#include <functional>
#include <gtk/gtk.h>
#include <string>

// The card as a layer surface: beneath every window (or above them, for keep on top), on every
// workspace of its output, never given the keyboard. It shows the frames the card's process
// draws and tells that process what the pointer did:
//
//   scale N      the output's scale changed (frames are best drawn at it)
//   click        a left click: the next page
//   menu X Y     a right click at X, Y on the desktop: the menu
//   moved X Y    a drag ended with the card's top-left corner at X, Y
class CardSurface
{
public:
    explicit CardSurface(std::function<void(const std::string &)> report);
    ~CardSurface();
    CardSurface(const CardSurface &) = delete;
    CardSurface &operator=(const CardSurface &) = delete;

    void place(const FrameStream::Place &place);
    void show(FrameStream::Frame &&frame);

private:
    static gboolean draw(GtkWidget *widget, cairo_t *cairo, gpointer self);
    static gboolean pressed(GtkWidget *widget, GdkEventButton *event, gpointer self);
    static gboolean released(GtkWidget *widget, GdkEventButton *event, gpointer self);
    static gboolean motion(GtkWidget *widget, GdkEventMotion *event, gpointer self);
    static void scaleChanged(GObject *object, GParamSpec *property, gpointer self);

    GdkMonitor *monitorFor(const FrameStream::Place &place) const;
    void setMargins(int left, int top);
    void takeInput(bool input);
    void reportScale(int scale);
    void grabbed(bool held);
    void showOnceReady();

    std::function<void(const std::string &)> m_report;
    GtkWidget *m_window = nullptr;
    cairo_surface_t *m_frame = nullptr;
    GdkRectangle m_monitor{};
    int m_left = 0, m_top = 0;
    bool m_placed = false;
    bool m_input = true;
    int m_reportedScale = 0;
    // The press that may become a click or a drag, in the surface's coordinates.
    bool m_pressed = false;
    bool m_dragging = false;
    double m_pressX = 0, m_pressY = 0;
};
