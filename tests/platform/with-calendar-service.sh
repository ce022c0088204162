#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs a command inside a private D-Bus session, where the desktop calendar service (the
# Evolution Data Server's source registry and calendar factory) starts on demand through the
# session's activation files. Meant to run under run-isolated.sh, which gives the service a fresh
# HOME, so nothing of the user's calendars is seen or changed.
exec dbus-run-session -- "$@"
