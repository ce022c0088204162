#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs a command inside a private D-Bus session with the desktop's accessibility bus and its
# registry (at-spi2-core), as a screen reader's session has them. Meant to run under
# run-isolated.sh --xvfb, which gives it an X server and a fresh home.
launcher=/usr/libexec/at-spi-bus-launcher
[ -x "$launcher" ] || launcher=/usr/lib/at-spi2-core/at-spi-bus-launcher
exec dbus-run-session -- sh -c '"$0" --launch-immediately & exec "$@"' "$launcher" "$@"
