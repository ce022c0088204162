#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
# The card, the welcome and the connections window as a screen reader finds them on the
# accessibility bus. Writes the words of two fixture pages with `tessarine render --text`, starts
# the program on them, and reads through AT-SPI the card's name and description, the event a
# click on the card raises, its actions, the welcome's starting sets and every control's name.
# Orca, Debian's screen reader, listens all along: what it says is read from its debug log.
# Run by with-accessibility-bus.sh under run-isolated.sh --xvfb.
# Arguments: the tessarine program, the views directory, the fixtures directory.
import json
import os
import re
import shutil
import subprocess
import sys
import time

import pyatspi
from gi.repository import GLib

program, views, fixtures = sys.argv[1:4]
os.environ["TZ"] = "Europe/London"  # the fixtures' times are read where they were written
failures = []


def check(condition, message):
    if not condition:
        failures.append(message)
        print("FAIL: " + message, flush=True)
    return condition


def write(path, content):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "w", encoding="utf-8") as out:
        out.write(content if isinstance(content, str) else json.dumps(content))


def prepare_screens():
    """Two pages of the full fixture with their manifest and words, as a refresh leaves them."""
    with open(os.path.join(fixtures, "render", "full.json"), encoding="utf-8") as source:
        document = json.load(source)
    document["pages"] = [document["pages"][2], document["pages"][4]]
    data_home = os.environ["XDG_DATA_HOME"]
    screens = os.path.join(data_home, "Tessarine", "screens")
    write(os.path.join(screens, "data.json"), document)
    printed = subprocess.run([program, "render", "--data", os.path.join(screens, "data.json"), "--page", "all",
                              "--look", "mono", "--text"], capture_output=True, text=True, timeout=120,
                             check=True).stdout
    texts = [text.strip("\n") for text in printed.split("\f\n")]
    check(len(texts) == 2, "render --text printed %d pages, not 2" % len(texts))
    for index, text in enumerate(texts):
        write(os.path.join(screens, "page%d.txt" % index), text)
    titles = [text.split("\n", 1)[0] for text in texts]
    write(os.path.join(screens, "manifest.json"), {"ok": True, "updatedAt": document["updatedAt"], "login": None,
                                                   "views": ["page0", "page1"], "titles": titles, "error": None})
    write(os.path.join(data_home, "Tessarine", "settings.json"),
          {"logos": True, "providers": [], "pages": document["pages"]})
    write(os.path.join(os.environ["XDG_CONFIG_HOME"], "Tessarine", "Tessarine.ini"), "[General]\nonboarded=true\n")
    return titles


def find_all(root, wanted, depth=0):
    found = []
    try:
        if wanted(root):
            found.append(root)
        for child in root if depth < 12 else []:
            found.extend(find_all(child, wanted, depth + 1))
    except Exception:
        pass
    return found


def wait_for(lookup, seconds=60):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        found = lookup()
        if found:
            return found[0] if isinstance(found, list) else found
        time.sleep(0.25)
    return None


def pump(seconds, until):
    """Runs the event loop until `until()` holds or the seconds are over."""
    loop = GLib.MainLoop()
    deadline = time.monotonic() + seconds
    GLib.timeout_add(50, lambda: (until() or time.monotonic() > deadline) and loop.quit() or True)
    loop.run()


def unnamed_controls(window):
    showing = lambda o: o.getState().contains(pyatspi.STATE_FOCUSABLE) and o.getState().contains(pyatspi.STATE_SHOWING)
    return [o.getRoleName() for o in find_all(window, lambda o: showing(o) and not o.name)]


def read(path):
    try:
        with open(path, encoding="utf-8", errors="replace") as source:
            return source.read()
    except FileNotFoundError:
        return ""


# Orca as its own command starts it, but with its debug log written line by line: the command's
# --debug-file is buffered, and what Orca says would reach the file only minutes later.
ORCA_WITH_LINE_LOG = """
import runpy, sys
from orca import debug
debug.debugLevel = debug.LEVEL_INFO
debug.debugFile = open(sys.argv[1], "w", buffering=1, encoding="utf-8")
orca = sys.argv[2]
sys.argv = [orca]
runpy.run_path(orca, run_name="__main__")
"""


def start_orca(log):
    """Orca with its default settings, ready once it listens to the accessibility registry."""
    command = shutil.which("orca")
    if not check(command is not None, "Orca is not installed (scripts/install-deps installs it)"):
        return None
    orca = subprocess.Popen(["/usr/bin/python3", "-c", ORCA_WITH_LINE_LOG, log, command],
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    # Orca 43 (Debian 12) and Orca 48 (Debian 13) say in other words that they listen.
    started = ("ORCA: Starting registry", "ORCA: Starting Atspi main event loop")
    check(wait_for(lambda: any(line in read(log) for line in started), 60), "Orca did not start")
    return orca


def spoken(log):
    """Everything Orca said, one utterance an item (an utterance may hold line breaks)."""
    return re.findall(r"SPEECH OUTPUT: '(.*?)'(?:\{|$)", read(log), re.S | re.M)


def main(titles):
    environment = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", TESSARINE_VIEWS=views,
                       TESSARINE_WELCOME_STEP="3", TESSARINE_RENDERER="/bin/false", QT_QPA_PLATFORM="xcb")
    orca_log = os.path.join(os.environ["HOME"], "orca-debug.out")
    orca = start_orca(orca_log)
    card = subprocess.Popen([program, "--welcome", "--connections"], env=environment,
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        app = wait_for(lambda: find_all(pyatspi.Registry.getDesktop(0), lambda a: a.getRole() == pyatspi.ROLE_APPLICATION
                                        and a.name.lower() == "tessarine"))
        window = lambda role, name: wait_for(lambda: find_all(app, lambda o: o.getRole() == role and o.name == name))
        frame = window(pyatspi.ROLE_FRAME, titles[0]) if app else None
        if not check(frame is not None, "no window named after the shown page “%s”" % titles[0]):
            return
        # The refresh at the start fails (this renderer draws nothing), which the card says too.
        wait_for(lambda: "Last refresh failed:" in frame.description, 30)
        for fact in ["Claude, 5-hour window, 42 percent used, runs out at about 10:50 at this pace, resets at 11:29.",
                     "Codex, Last 30 days: 12,480,512 tokens, 6-day streak.",  # the picture says 12.5M
                     "Last refresh failed: The page renderer"]:
            check(fact in frame.description, "the card's description lacks “%s”:\n%s" % (fact, frame.description))
        said_failure = lambda: any("Last refresh failed: The page renderer" in line for line in spoken(orca_log))
        wait_for(lambda: said_failure() or not orca, 20)
        check(orca and said_failure(), "Orca did not say the failure as it appeared; it said %s" % spoken(orca_log)[-6:])
        actions = frame.queryAction()
        names = [actions.getName(i) for i in range(actions.nActions)]
        check(names[:3] == ["Next Page", "Previous Page", "Open Menu"], "the card's actions are %s" % names)

        # A click on the card shows the next page, and a screen reader hears the new name.
        heard = []
        listener = lambda event: heard.append(event.source.name)
        pyatspi.Registry.registerEventListener(listener, "object:property-change:accessible-name")
        box = frame.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        pyatspi.Registry.generateMouseEvent(box.x + box.width // 2, box.y + box.height // 2, pyatspi.MOUSE_B1C)
        pump(15, lambda: titles[1] in heard)
        check(titles[1] in heard, "no name change to “%s” after a click; heard %s" % (titles[1], heard))
        check("Next event: Stand-up, today 09:30." in frame.description, "page two reads:\n" + frame.description)
        # Orca says the new page's words, though the card does not have the focus.
        said = lambda: any("Next event: Stand-up, today 09:30." in line for line in spoken(orca_log))
        wait_for(lambda: said() or not orca, 20)
        check(orca and said(), "Orca did not say page two's words after a click; it said %s" % spoken(orca_log)[-6:])
        actions.doAction(names.index("Previous Page"))
        pump(15, lambda: frame.name == titles[0])
        check(frame.name == titles[0], "“Previous Page” left the card on “%s”" % frame.name)

        # The menu is one of the program's windows, where a reader looks for it, and it opens as
        # a menu that says the status lines the keyboard passes over.
        before = len(spoken(orca_log))
        actions.doAction(names.index("Open Menu"))
        menu = wait_for(lambda: find_all(app, lambda o: o.getRole() in (pyatspi.ROLE_MENU, pyatspi.ROLE_POPUP_MENU)
                                         and o.getState().contains(pyatspi.STATE_SHOWING)), 15)
        if check(menu is not None, "no menu showing after “Open Menu”"):
            index = menu.getIndexInParent()
            check(index >= 0 and menu.parent[index] == menu, "the menu is at %d in its parent" % index)
        opened = lambda: [line for line in spoken(orca_log)[before:] if "Tessarine menu. Updated 09:15" in line]
        wait_for(lambda: opened() or not orca, 15)
        check(orca and opened(), "Orca did not say the menu and its status; it said %s" % spoken(orca_log)[before:])

        # The welcome is a dialog whose starting sets are radio buttons, the first one checked;
        # the connections window is a window. Every control in them has a name.
        welcome = window(pyatspi.ROLE_DIALOG, "Welcome to Tessarine")
        if check(welcome is not None, "no dialog named “Welcome to Tessarine”"):
            radios = find_all(welcome, lambda o: o.getRole() == pyatspi.ROLE_RADIO_BUTTON)
            check([r.name for r in radios] == ["Recommended for you", "Just one page", "Start blank"],
                  "the starting sets read as %s" % [r.name for r in radios])
            checked = [r.getState().contains(pyatspi.STATE_CHECKED) for r in radios]
            check(checked == [True, False, False], "checked starting sets: %s" % checked)
            check(not unnamed_controls(welcome), "welcome controls without a name: %s" % unnamed_controls(welcome))
        connections = window(pyatspi.ROLE_FRAME, "Connections")
        if check(connections is not None, "no window named “Connections”"):
            check(not unnamed_controls(connections), "unnamed controls: %s" % unnamed_controls(connections))
    finally:
        card.terminate()
        card.wait(20)
        if orca:
            orca.kill()  # Orca takes long to end on a signal it may catch
            orca.wait(20)


main(prepare_screens())
print("%d failures" % len(failures))
sys.exit(1 if failures else 0)
