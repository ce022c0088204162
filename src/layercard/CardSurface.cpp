// SPDX-License-Identifier: GPL-3.0-or-later
#include "CardSurface.h"

#include <cmath>
#include <cstring>
#include <gtk-layer-shell/gtk-layer-shell.h>

namespace {

int dragThreshold()
{
    int threshold = 8;
    g_object_get(gtk_settings_get_default(), "gtk-dnd-drag-threshold", &threshold, nullptr);
    return threshold;
}

} // namespace

CardSurface::CardSurface(std::function<void(const std::string &)> report)
    : m_report(std::move(report))
{
    m_window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    GtkWindow *window = GTK_WINDOW(m_window);
    gtk_window_set_title(window, "Tessarine");
    gtk_layer_init_for_window(window);
    gtk_layer_set_namespace(window, "tessarine");
    gtk_layer_set_layer(window, GTK_LAYER_SHELL_LAYER_BOTTOM);
    // The card never takes the keyboard from the window the user types in.
    gtk_layer_set_keyboard_mode(window, GTK_LAYER_SHELL_KEYBOARD_MODE_NONE);
    // Placed by its top-left corner from the output's own corner, whatever panels reserve, so
    // that the place the card's process gives is the place on the desktop.
    gtk_layer_set_anchor(window, GTK_LAYER_SHELL_EDGE_LEFT, TRUE);
    gtk_layer_set_anchor(window, GTK_LAYER_SHELL_EDGE_TOP, TRUE);
    gtk_layer_set_exclusive_zone(window, -1);
    // Translucent: the card's rounded body over the wallpaper.
    if (GdkVisual *visual = gdk_screen_get_rgba_visual(gtk_widget_get_screen(m_window)))
        gtk_widget_set_visual(m_window, visual);
    gtk_widget_set_app_paintable(m_window, TRUE);
    gtk_widget_add_events(m_window, GDK_BUTTON_PRESS_MASK | GDK_BUTTON_RELEASE_MASK | GDK_POINTER_MOTION_MASK);
    g_signal_connect(m_window, "draw", G_CALLBACK(draw), this);
    g_signal_connect(m_window, "button-press-event", G_CALLBACK(pressed), this);
    g_signal_connect(m_window, "button-release-event", G_CALLBACK(released), this);
    g_signal_connect(m_window, "motion-notify-event", G_CALLBACK(motion), this);
    g_signal_connect(m_window, "notify::scale-factor", G_CALLBACK(scaleChanged), this);
}

CardSurface::~CardSurface()
{
    gtk_widget_destroy(m_window);
    if (m_frame)
        cairo_surface_destroy(m_frame);
}

GdkMonitor *CardSurface::monitorFor(const FrameStream::Place &place) const
{
    GdkDisplay *display = gdk_display_get_default();
    const int centreX = place.x + place.width / 2, centreY = place.y + place.height / 2;
    if (GdkMonitor *monitor = gdk_display_get_monitor_at_point(display, centreX, centreY))
        return monitor;
    return gdk_display_get_monitor(display, 0);
}

void CardSurface::place(const FrameStream::Place &place)
{
    GtkWindow *window = GTK_WINDOW(m_window);
    if (GdkMonitor *monitor = monitorFor(place)) {
        gdk_monitor_get_geometry(monitor, &m_monitor);
        if (gtk_layer_get_monitor(window) != monitor)
            gtk_layer_set_monitor(window, monitor);
        reportScale(gdk_monitor_get_scale_factor(monitor));
    }
    gtk_layer_set_layer(window, place.top ? GTK_LAYER_SHELL_LAYER_TOP : GTK_LAYER_SHELL_LAYER_BOTTOM);
    gtk_widget_set_size_request(m_window, place.width, place.height);
    gtk_window_resize(window, place.width, place.height);
    setMargins(place.x - m_monitor.x, place.y - m_monitor.y);
    takeInput(place.input);
    m_placed = true;
    showOnceReady();
}

void CardSurface::setMargins(int left, int top)
{
    m_left = left;
    m_top = top;
    gtk_layer_set_margin(GTK_WINDOW(m_window), GTK_LAYER_SHELL_EDGE_LEFT, left);
    gtk_layer_set_margin(GTK_WINDOW(m_window), GTK_LAYER_SHELL_EDGE_TOP, top);
}

void CardSurface::takeInput(bool input)
{
    m_input = input;
    // An empty input region lets every click through to what lies beneath, as the full-screen
    // grid does on X11; none at all means the whole surface.
    if (input) {
        gtk_widget_input_shape_combine_region(m_window, nullptr);
        return;
    }
    cairo_region_t *nothing = cairo_region_create();
    gtk_widget_input_shape_combine_region(m_window, nothing);
    cairo_region_destroy(nothing);
}

void CardSurface::show(FrameStream::Frame &&frame)
{
    if (m_frame)
        cairo_surface_destroy(m_frame);
    m_frame = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, frame.width, frame.height);
    const int stride = cairo_image_surface_get_stride(m_frame);
    unsigned char *pixels = cairo_image_surface_get_data(m_frame);
    const std::size_t row = std::size_t(frame.width) * 4;
    for (int y = 0; y < frame.height; ++y)
        std::memcpy(pixels + std::size_t(y) * std::size_t(stride), frame.pixels.data() + std::size_t(y) * row, row);
    cairo_surface_mark_dirty(m_frame);
    cairo_surface_set_device_scale(m_frame, frame.scale, frame.scale);
    gtk_widget_queue_draw(m_window);
    showOnceReady();
}

void CardSurface::showOnceReady()
{
    // Shown with its first frame at its place, never as an empty surface in a corner.
    if (m_placed && m_frame && !gtk_widget_get_visible(m_window))
        gtk_widget_show(m_window);
}

gboolean CardSurface::draw(GtkWidget *, cairo_t *cairo, gpointer self)
{
    auto *card = static_cast<CardSurface *>(self);
    cairo_set_operator(cairo, CAIRO_OPERATOR_SOURCE);
    cairo_set_source_rgba(cairo, 0, 0, 0, 0);
    cairo_paint(cairo);
    if (card->m_frame) {
        cairo_set_source_surface(cairo, card->m_frame, 0, 0);
        cairo_paint(cairo);
    }
    return TRUE;
}

gboolean CardSurface::pressed(GtkWidget *, GdkEventButton *event, gpointer self)
{
    auto *card = static_cast<CardSurface *>(self);
    if (event->type != GDK_BUTTON_PRESS)
        return TRUE;
    if (event->button == GDK_BUTTON_SECONDARY) {
        const int x = card->m_monitor.x + card->m_left + int(std::lround(event->x));
        const int y = card->m_monitor.y + card->m_top + int(std::lround(event->y));
        card->m_report("menu " + std::to_string(x) + " " + std::to_string(y));
    } else if (event->button == GDK_BUTTON_PRIMARY) {
        card->m_pressed = true;
        card->m_dragging = false;
        card->m_pressX = event->x;
        card->m_pressY = event->y;
    }
    return TRUE;
}

gboolean CardSurface::motion(GtkWidget *, GdkEventMotion *event, gpointer self)
{
    auto *card = static_cast<CardSurface *>(self);
    if (!card->m_pressed || card->m_dragging)
        return TRUE;
    if (std::abs(event->x - card->m_pressX) + std::abs(event->y - card->m_pressY) < dragThreshold())
        return TRUE;
    card->m_dragging = true;
    card->grabbed(true);
    return TRUE;
}

gboolean CardSurface::released(GtkWidget *, GdkEventButton *event, gpointer self)
{
    auto *card = static_cast<CardSurface *>(self);
    if (event->button != GDK_BUTTON_PRIMARY || !card->m_pressed)
        return TRUE;
    card->m_pressed = false;
    if (!card->m_dragging) {
        card->m_report("click");
        return TRUE;
    }
    card->m_dragging = false;
    card->grabbed(false);
    // The card moves where it is dropped. Moved while dragged, it would be out of step with the
    // pointer: the compositor places a layer surface when it next draws, and the pointer's
    // positions come relative to wherever the surface is by then. Unmoved, they all measure from
    // the same corner.
    card->setMargins(card->m_left + int(std::lround(event->x - card->m_pressX)),
                     card->m_top + int(std::lround(event->y - card->m_pressY)));
    card->m_report("moved " + std::to_string(card->m_monitor.x + card->m_left) + " " +
                   std::to_string(card->m_monitor.y + card->m_top));
    return TRUE;
}

void CardSurface::grabbed(bool held)
{
    // A closed hand while the card is carried, as file managers show for a drag.
    GdkWindow *window = gtk_widget_get_window(m_window);
    if (!window)
        return;
    GdkCursor *cursor = held ? gdk_cursor_new_from_name(gdk_window_get_display(window), "grabbing") : nullptr;
    gdk_window_set_cursor(window, cursor);
    if (cursor)
        g_object_unref(cursor);
}

void CardSurface::scaleChanged(GObject *, GParamSpec *, gpointer self)
{
    auto *card = static_cast<CardSurface *>(self);
    card->reportScale(gtk_widget_get_scale_factor(card->m_window));
}

void CardSurface::reportScale(int scale)
{
    if (scale == m_reportedScale)
        return;
    m_reportedScale = scale;
    m_report("scale " + std::to_string(scale));
}
