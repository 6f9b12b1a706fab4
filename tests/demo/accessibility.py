#!/usr/bin/python3
"""The updater's window as a screen reader meets it: through the AT-SPI bus, from the
running program (scripts/demo --accessibility starts it with three cameras attached).

It walks every window the program shows and fails on any control that can take the
keyboard's focus or be acted on and has no name (the history too, opened with
Ctrl+H); checks that each camera's row is named
by its model, version, place and state; presses Update All through its accessible
action, as a screen reader's user does; and reads the outcome from the rows' names,
which must also have been announced as name changes. Every wait is bounded.

Exit status: 0 passed, 1 a fault (each said), 77 no AT-SPI bus to be had here.
"""
import re
import subprocess
import sys

try:
    import pyatspi
    from gi.repository import GLib
except ImportError as missing:
    print(f"accessibility: cannot run here: {missing}")
    sys.exit(77)

# Each camera's row: its name before Update All, and after.
ROWS = [
    (r"TZ2200, 5\.917, .+, needs 5\.920", r"TZ2200, 5\.917, .+, updated to 5\.920 — unplug to install"),
    (r"VEK PELKA, 2\.104, .+, up to date", r"VEK PELKA, 2\.104, .+, up to date"),
    (r"TZ7600, 1\.300, USB debugging .+, needs 1\.310", r"TZ7600, 1\.300, USB debugging .+, updated to 1\.310 — unplug to install"),
]
faults = []
announced = []  # the names list items were given, as the bus told them


def nodes(node, depth=0):
    """The node and all below it, as they are now: a window that closes meanwhile
    (the progress window, as the last update ends) is passed over."""
    try:
        children = [node.getChildAtIndex(index) for index in range(node.childCount)] if depth < 30 else []
        yield node
    except GLib.GError:
        return
    for child in children:
        if child is not None:
            yield from nodes(child, depth + 1)


def actions(node):
    try:
        action = node.queryAction()
    except NotImplementedError:
        return []
    return [action.getName(index) for index in range(action.nActions)]


def check_names(application, where):
    """Every shown control that can take the focus or be acted on has a name."""
    for node in nodes(application):
        try:
            states = node.getState()
            if not states.contains(pyatspi.STATE_SHOWING) or states.contains(pyatspi.STATE_DEFUNCT):
                continue
            if (states.contains(pyatspi.STATE_FOCUSABLE) or actions(node)) and not node.name.strip():
                faults.append(f"{where}: a {node.getRoleName()} without a name (parent: "
                              f"{node.parent.getRoleName()} {node.parent.name!r})")
        except GLib.GError:
            continue  # gone while asked


def find(application, role, name=None):
    found = []
    for node in nodes(application):
        try:
            if node.getRole() == role and (name is None or re.fullmatch(name, node.name)):
                found.append(node)
        except GLib.GError:
            continue  # gone while asked
    return found


def rows(application):
    lists = find(application, pyatspi.ROLE_LIST, "Cameras")
    if not lists:
        return []
    return [lists[0].getChildAtIndex(index).name for index in range(lists[0].childCount)]


def matches(names, patterns):
    return len(names) == len(patterns) and all(any(re.fullmatch(p, n) for n in names) for p in patterns)


def run():
    """The steps, as a generator: each yield waits a tenth of a second."""
    desktop = pyatspi.Registry.getDesktop(0)
    application = None
    for _ in range(300):
        application = next((a for a in desktop if a is not None and a.name == "vek-updater"), None)
        if application is not None and matches(rows(application), [before for before, _ in ROWS]):
            break
        yield
    else:
        faults.append(f"the rows never read as {[before for before, _ in ROWS]}: "
                      f"{rows(application) if application else 'no vek-updater on the bus'}")
        return
    check_names(application, "main window")

    buttons = find(application, pyatspi.ROLE_PUSH_BUTTON, "Update All")
    if not buttons or "Press" not in actions(buttons[0]):
        faults.append("no Update All button with a Press action")
        return
    buttons[0].queryAction().doAction(actions(buttons[0]).index("Press"))
    for _ in range(300):
        if find(application, pyatspi.ROLE_PROGRESS_BAR):
            check_names(application, "while updating")
            break
        yield
    else:
        faults.append("no progress bar showed after Update All")
    for _ in range(1200):
        if find(application, pyatspi.ROLE_DIALOG, "Update summary"):
            break
        yield
    else:
        faults.append("no summary after Update All")
        return
    check_names(application, "the summary")
    after = [after for _, after in ROWS]
    if not matches(rows(application), after):
        faults.append(f"after Update All the rows read {rows(application)}, not {after}")
    # The announcements come as events, which may still be on their way.
    patterns = (r"TZ2200, .+, updated to .+", r"TZ7600, .+, updated to .+")
    for _ in range(100):
        unheard = [p for p in patterns if not any(re.fullmatch(p, name) for name in announced)]
        if not unheard:
            break
        yield
    else:
        faults.append(f"no row was announced as {unheard}; announced: {announced}")
    close = find(find(application, pyatspi.ROLE_DIALOG, "Update summary")[0], pyatspi.ROLE_PUSH_BUTTON, "Close")
    if close:
        close[0].queryAction().doAction(0)

    # The history, by its key in the main window: its filters and table.
    subprocess.run(["xdotool", "search", "--name", "^Check Firmware$", "windowfocus", "--sync", "key", "ctrl+h"],
                   check=False, timeout=30)
    for _ in range(300):
        if find(application, pyatspi.ROLE_DIALOG, "Update history"):
            break
        yield
    else:
        faults.append("Ctrl+H showed no history")
        return
    yield  # its records come from the background
    check_names(application, "the history")


def main():
    def told(event):
        if event.source is not None and event.source.getRole() == pyatspi.ROLE_LIST_ITEM:
            announced.append(event.source.name)

    pyatspi.Registry.registerEventListener(told, "object:property-change:accessible-name")
    steps = run()

    def step():
        try:
            next(steps)
            return True
        except StopIteration:
            pass
        except Exception as error:  # said, and the loop ends: never a hang
            faults.append(f"{type(error).__name__}: {error}")
        pyatspi.Registry.stop()
        return False

    GLib.timeout_add(100, step)
    pyatspi.Registry.start()
    for fault in faults:
        print(f"accessibility: {fault}")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
