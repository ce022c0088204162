#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""The card and the welcome window as a screen reader finds them on the accessibility bus.

Draws the text of two fixture pages with `tessarine render --text`, starts the program on them
with the welcome window open, and reads through AT-SPI: the card's name and description, the
event a click on the card raises, its actions, and the roles of the welcome's starting options.
Run by with-accessibility-bus.sh under run-isolated.sh --xvfb.
Arguments: the tessarine program, the views directory, the fixtures directory."""

import json
import os
import subprocess
import sys
import time

import pyatspi
from gi.repository import GLib

program, views, fixtures = sys.argv[1:4]
# The fixtures' times are read in the time zone they were written for.
os.environ["TZ"] = "Europe/London"
failures = []


def check(condition, message):
    if not condition:
        failures.append(message)
        print("FAIL: " + message, flush=True)
    return condition


def prepare_screens():
    """Two pages of the full fixture, their manifest and their texts, as a refresh leaves them."""
    with open(os.path.join(fixtures, "render", "full.json"), encoding="utf-8") as source:
        document = json.load(source)
    pages = [document["pages"][2], document["pages"][4]]
    document["pages"] = pages
    data_home = os.environ["XDG_DATA_HOME"]
    screens = os.path.join(data_home, "Tessarine", "screens")
    os.makedirs(screens, exist_ok=True)
    data = os.path.join(screens, "data.json")
    with open(data, "w", encoding="utf-8") as out:
        json.dump(document, out)
    printed = subprocess.run([program, "render", "--data", data, "--page", "all", "--look", "mono", "--text"],
                             capture_output=True, text=True, timeout=120, check=True).stdout
    texts = [text.strip("\n") for text in printed.split("\f\n")]
    check(len(texts) == 2, "render --text printed %d pages, not 2" % len(texts))
    for index, text in enumerate(texts):
        with open(os.path.join(screens, "page%d.txt" % index), "w", encoding="utf-8") as out:
            out.write(text)
    titles = [text.split("\n", 1)[0] for text in texts]
    manifest = {"ok": True, "updatedAt": document["updatedAt"], "login": None, "views": ["page0", "page1"],
                "titles": titles, "error": None}
    with open(os.path.join(screens, "manifest.json"), "w", encoding="utf-8") as out:
        json.dump(manifest, out)
    with open(os.path.join(data_home, "Tessarine", "settings.json"), "w", encoding="utf-8") as out:
        json.dump({"logos": True, "providers": ["claude", "codex"], "pages": pages}, out)
    config = os.path.join(os.environ["XDG_CONFIG_HOME"], "Tessarine")
    os.makedirs(config, exist_ok=True)
    with open(os.path.join(config, "Tessarine.ini"), "w", encoding="utf-8") as out:
        out.write("[General]\nonboarded=true\n")
    return titles


def find(root, predicate, depth=0):
    if root is None or depth > 12:
        return None
    try:
        if predicate(root):
            return root
        for child in root:
            found = find(child, predicate, depth + 1)
            if found is not None:
                return found
    except Exception:
        return None
    return None


def find_all(root, predicate, depth=0):
    found = []
    if root is None or depth > 12:
        return found
    try:
        if predicate(root):
            found.append(root)
        for child in root:
            found.extend(find_all(child, predicate, depth + 1))
    except Exception:
        pass
    return found


def wait_for(lookup, seconds=60):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        found = lookup()
        if found is not None:
            return found
        time.sleep(0.25)
    return None


def application():
    desktop = pyatspi.Registry.getDesktop(0)
    return find(desktop, lambda a: a.getRole() == pyatspi.ROLE_APPLICATION and a.name.lower() == "tessarine")


def pump(seconds, until):
    """Runs the event loop until `until()` holds or the seconds are over."""
    loop = GLib.MainLoop()
    deadline = time.monotonic() + seconds

    def poll():
        if until() or time.monotonic() > deadline:
            loop.quit()
            return False
        return True

    GLib.timeout_add(50, poll)
    loop.run()


def main():
    titles = prepare_screens()
    environment = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", TESSARINE_VIEWS=views,
                       TESSARINE_WELCOME_STEP="3", TESSARINE_RENDERER="/bin/false", QT_QPA_PLATFORM="xcb")
    card = subprocess.Popen([program, "--welcome", "--connections"], env=environment, stdout=subprocess.DEVNULL,
                            stderr=subprocess.DEVNULL)
    try:
        app = wait_for(application)
        if not check(app is not None, "the program is not on the accessibility bus"):
            return
        frame = wait_for(lambda: find(app, lambda o: o.getRole() == pyatspi.ROLE_FRAME and o.name == titles[0]))
        if not check(frame is not None, "no window named after the shown page “%s”" % titles[0]):
            return
        # The refresh at the start fails (this renderer draws nothing), which the card says too.
        wait_for(lambda: "Last refresh failed:" in frame.description or None, 30)
        description = frame.description
        for fact in ["Claude, 5-hour window, 42 percent used, resets at 11:29.",
                     "Codex, Last 30 days: 12,480,512 tokens, 6-day streak.",  # the picture says 12.5M
                     "Last refresh failed: The page renderer"]:
            check(fact in description, "the card's description lacks “%s”:\n%s" % (fact, description))
        actions = frame.queryAction()
        names = [actions.getName(i) for i in range(actions.nActions)]
        check(names[:3] == ["Next Page", "Previous Page", "Open Menu"], "the card's actions are %s" % names)

        # A click on the card shows the next page; a screen reader hears the new name.
        heard = []
        listener = lambda event: heard.append((event.source.name, event.source.description))
        pyatspi.Registry.registerEventListener(listener, "object:property-change:accessible-name")
        extents = frame.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        pyatspi.Registry.generateMouseEvent(extents.x + extents.width // 2, extents.y + extents.height // 2,
                                            pyatspi.MOUSE_B1C)
        pump(15, lambda: any(name == titles[1] for name, _ in heard))
        check(any(name == titles[1] for name, _ in heard),
              "no name change to “%s” after a click; heard %s" % (titles[1], [n for n, _ in heard]))
        check("Next event: Stand-up, today 09:30." in frame.description,
              "the second page's description lacks its next event:\n" + frame.description)
        # The card's own action goes back.
        actions.doAction(names.index("Previous Page"))
        pump(15, lambda: frame.name == titles[0])
        check(frame.name == titles[0], "“Previous Page” left the card on “%s”" % frame.name)
        pyatspi.Registry.deregisterEventListener(listener, "object:property-change:accessible-name")

        # The welcome window is a dialog; its starting sets are radio buttons, the first checked.
        welcome = wait_for(lambda: find(app, lambda o: o.getRole() == pyatspi.ROLE_DIALOG
                                        and o.name == "Welcome to Tessarine"))
        if check(welcome is not None, "no dialog named “Welcome to Tessarine”"):
            radios = find_all(welcome, lambda o: o.getRole() == pyatspi.ROLE_RADIO_BUTTON)
            check([r.name for r in radios] == ["Recommended for you", "Just one page", "Start blank"],
                  "the starting sets read as %s" % [r.name for r in radios])
            checked = [r.getState().contains(pyatspi.STATE_CHECKED) for r in radios]
            check(checked == [True, False, False], "checked starting sets: %s" % checked)
            unnamed = find_all(welcome, lambda o: o.getState().contains(pyatspi.STATE_FOCUSABLE)
                               and o.getState().contains(pyatspi.STATE_SHOWING) and not o.name)
            check(not unnamed, "controls without a name: %s" % [(o.getRoleName(), o.parent.getRoleName(), o.parent.name, [c.name for c in o][:4], o.description) for o in unnamed])

        # The connections window is a window, and every control in it has a name.
        connections = wait_for(lambda: find(app, lambda o: o.getRole() == pyatspi.ROLE_FRAME and o.name == "Connections"))
        if check(connections is not None, "no window named “Connections”"):
            unnamed = find_all(connections, lambda o: o.getState().contains(pyatspi.STATE_FOCUSABLE)
                               and o.getState().contains(pyatspi.STATE_SHOWING) and not o.name)
            check(not unnamed, "controls without a name: %s" % [(o.getRoleName(), o.parent.getRoleName(), o.parent.name, [c.name for c in o][:4], o.description) for o in unnamed])
    finally:
        card.terminate()
        try:
            card.wait(20)
        except subprocess.TimeoutExpired:
            card.kill()


main()
print("%d failures" % len(failures))
sys.exit(1 if failures else 0)
