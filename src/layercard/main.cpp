// SPDX-License-Identifier: GPL-3.0-or-later
// tessarine-layer-card: the card on the desktop's bottom layer, for Wayland compositors that offer
// the layer-shell protocol (sway and the other wlroots desktops). Tessarine's own process draws
// every frame and keeps the model, the menu and the place; this program only shows the frames it
// is sent on standard input and reports the pointer on standard output (FrameStream and
// CardSurface say how). It answers "ready" once its surface can be made, or "unsupported" and
// exits where the compositor has no layer shell; it ends when its input ends.

#include "CardSurface.h"
#include "FrameStream.h"

#include <array>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <glib-unix.h>
#include <gtk-layer-shell/gtk-layer-shell.h>
#include <gtk/gtk.h>
#include <unistd.h>

namespace {

constexpr int unsupported = 2;

void report(const std::string &line)
{
    std::fputs(line.c_str(), stdout);
    std::fputc('\n', stdout);
    // Tessarine has gone: there is no one to show the card for.
    if (std::fflush(stdout) != 0)
        gtk_main_quit();
}

struct Input
{
    FrameStream stream;
    std::array<std::uint8_t, 1 << 18> chunk{};
};

gboolean readInput(gint fd, GIOCondition, gpointer data)
{
    auto *input = static_cast<Input *>(data);
    for (;;) {
        const ssize_t got = ::read(fd, input->chunk.data(), input->chunk.size());
        if (got > 0) {
            if (!input->stream.feed(input->chunk.data(), std::size_t(got)))
                break;
            continue;
        }
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0 && errno == EAGAIN)
            return G_SOURCE_CONTINUE;
        break;
    }
    gtk_main_quit();
    return G_SOURCE_REMOVE;
}

} // namespace

int main(int argc, char **argv)
{
    std::signal(SIGPIPE, SIG_IGN);
    gdk_set_allowed_backends("wayland");
    if (!gtk_init_check(&argc, &argv) || !gtk_layer_is_supported()) {
        report("unsupported");
        return unsupported;
    }
    ::fcntl(STDIN_FILENO, F_SETFL, ::fcntl(STDIN_FILENO, F_GETFL) | O_NONBLOCK);

    CardSurface card(report);
    Input input;
    input.stream.onPlace = [&card](const FrameStream::Place &place) { card.place(place); };
    input.stream.onFrame = [&card](FrameStream::Frame &&frame) { card.show(std::move(frame)); };
    g_unix_fd_add(STDIN_FILENO, GIOCondition(G_IO_IN | G_IO_HUP | G_IO_ERR), readInput, &input);
    report("ready");
    gtk_main();
    return 0;
}
