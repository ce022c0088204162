#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
# A tray on the session bus, as a panel offers one: the StatusNotifier watcher with a host
# registered. Writes each item that registers to the file named by its argument, and runs
# until it is killed (the panel going away).
import sys

from gi.repository import Gio, GLib

INTERFACE = """
<node><interface name="org.kde.StatusNotifierWatcher">
  <method name="RegisterStatusNotifierItem"><arg type="s" direction="in"/></method>
  <method name="RegisterStatusNotifierHost"><arg type="s" direction="in"/></method>
  <property name="RegisteredStatusNotifierItems" type="as" access="read"/>
  <property name="IsStatusNotifierHostRegistered" type="b" access="read"/>
  <property name="ProtocolVersion" type="i" access="read"/>
  <signal name="StatusNotifierItemRegistered"><arg type="s"/></signal>
</interface></node>
"""

items = []


def call(connection, sender, path, interface, method, parameters, invocation):
    if method == "RegisterStatusNotifierItem":
        items.append(sender + parameters.unpack()[0])
        with open(sys.argv[1], "a") as log:
            log.write(items[-1] + "\n")
    invocation.return_value(None)


def get(connection, sender, path, interface, name):
    values = {
        "RegisteredStatusNotifierItems": GLib.Variant("as", items),
        "IsStatusNotifierHostRegistered": GLib.Variant("b", True),
        "ProtocolVersion": GLib.Variant("i", 0),
    }
    return values[name]


def acquired(connection, name):
    node = Gio.DBusNodeInfo.new_for_xml(INTERFACE)
    connection.register_object("/StatusNotifierWatcher", node.interfaces[0], call, get, None)


Gio.bus_own_name(Gio.BusType.SESSION, "org.kde.StatusNotifierWatcher", Gio.BusNameOwnerFlags.NONE, acquired,
                 None, None)
GLib.MainLoop().run()
