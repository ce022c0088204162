// SPDX-License-Identifier: GPL-3.0-or-later
// A pointer for a headless wlroots compositor. Started without input devices, such a compositor
// tells its clients that the seat has no pointer, so they never see the clicks that `swaymsg seat
// seat0 cursor …` sends, and sway sends no motion while a button is held. This program makes a
// virtual pointer (the wlr virtual-pointer protocol), which is a device, prints "ready" and then
// moves it by each "move DX DY" line it reads, until its input ends.

#include <cstdio>
#include <cstring>
#include <wayland-client.h>

namespace {

// Only the requests used here, in the protocol's order: motion is the first, frame the fifth.
enum Request : uint32_t
{
    Motion = 0,
    Frame = 4,
};
const wl_message pointerRequests[] = {
    {"motion", "uff", nullptr}, {"motion_absolute", "uuuuu", nullptr},
    {"button", "uuu", nullptr}, {"axis", "uuf", nullptr},
    {"frame", "", nullptr},
};
const wl_interface virtualPointer{"zwlr_virtual_pointer_v1", 1, 5, pointerRequests, 0, nullptr};
const wl_interface *createTypes[] = {&wl_seat_interface, &virtualPointer};
const wl_message managerRequests[] = {{"create_virtual_pointer", "?on", createTypes}};
const wl_interface pointerManager{"zwlr_virtual_pointer_manager_v1", 1, 1, managerRequests, 0, nullptr};

wl_proxy *manager = nullptr;

void announced(void *, wl_registry *registry, uint32_t name, const char *interface, uint32_t)
{
    if (std::strcmp(interface, pointerManager.name) == 0)
        manager = static_cast<wl_proxy *>(wl_registry_bind(registry, name, &pointerManager, 1));
}

void removed(void *, wl_registry *, uint32_t) {}

const wl_registry_listener registryListener{announced, removed};

} // namespace

int main()
{
    wl_display *display = wl_display_connect(nullptr);
    if (!display) {
        std::fputs("no Wayland display\n", stderr);
        return 1;
    }
    wl_registry_add_listener(wl_display_get_registry(display), &registryListener, nullptr);
    wl_display_roundtrip(display);
    if (!manager) {
        std::fputs("the compositor offers no virtual pointers\n", stderr);
        return 1;
    }
    wl_proxy *pointer = wl_proxy_marshal_constructor(manager, 0, &virtualPointer, nullptr, nullptr);
    wl_display_roundtrip(display);
    std::puts("ready");
    std::fflush(stdout);
    char line[128];
    uint32_t time = 0;
    while (std::fgets(line, sizeof line, stdin)) {
        int dx = 0, dy = 0;
        if (std::sscanf(line, "move %d %d", &dx, &dy) != 2)
            continue;
        time += 16;
        wl_proxy_marshal(pointer, Motion, time, wl_fixed_from_int(dx), wl_fixed_from_int(dy));
        wl_proxy_marshal(pointer, Frame);
        wl_display_roundtrip(display);
    }
    return 0;
}
