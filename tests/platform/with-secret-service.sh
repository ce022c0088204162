#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs a command inside a private D-Bus session that has a Secret Service: gnome-keyring, whose
# login keyring is created and unlocked with a throw-away password, so nothing prompts. Meant to
# run under run-isolated.sh, which gives the keyring a fresh HOME to live in.
exec dbus-run-session -- sh -c \
    'printf tessarine-test | gnome-keyring-daemon --unlock --components=secrets >/dev/null && exec "$@"' \
    with-secret-service "$@"
