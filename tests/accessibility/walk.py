#!/usr/bin/python3
"""Walks the running program's windows as a screen reader sees them (AT-SPI)
and fails on any control a user can reach with no name to read out.

Drives the program through its own accessible actions, so every window comes
up: the splash with the floppy question, the main window, the backup's
confirmation, the progress window (held up by the clip message), the
completion message, the defaults window, the About dialog and the help window.
"""
import sys
import time

import pyatspi

APP_NAME = "QEL_Trekkel"
failures = []
seen_windows = []


def wait_for(what, find, timeout=20.0):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        try:
            found = find()
        except Exception:  # the tree changes under us while windows come and go
            found = None
        if found is not None:
            return found
        time.sleep(0.2)
    raise SystemExit(f"accessibility walk: timed out waiting for {what}")


def application():
    for app in pyatspi.Registry.getDesktop(0):
        if app is not None and app.name == APP_NAME:
            return app
    return None


def children(acc):
    for i in range(acc.childCount):
        child = acc.getChildAtIndex(i)
        if child is not None:
            yield child


def showing(acc):
    states = acc.getState()
    return states.contains(pyatspi.STATE_SHOWING) and states.contains(pyatspi.STATE_VISIBLE)


def windows():
    return [w for w in children(application()) if showing(w)]


def window_named(name):
    return next((w for w in windows() if w.name == name), None)


def descendants(acc):
    for child in children(acc):
        yield child
        yield from descendants(child)


def find(window, role, name):
    return next((a for a in descendants(window) if a.getRoleName() == role and a.name == name),
                None)


def labels(acc):
    """The captions of the labels a control is labelled by."""
    found = []
    for relation in acc.getRelationSet():
        if relation.getRelationType() == pyatspi.RELATION_LABELLED_BY:
            found += [relation.getTarget(i).name for i in range(relation.getNTargets())]
    return [name for name in found if name.strip()]


def walk(window, expected_text=None):
    """Every focusable control that shows has a name (a combo box, whose name
    is its value, a label it is labelled by); a message box's text is in a
    label a screen reader reads with it."""
    title = window.name or "(untitled)"
    seen_windows.append(f"{title} [{window.getRoleName()}]")
    if not window.name:
        failures.append(f"window with role {window.getRoleName()} has no name")
    for acc in descendants(window):
        if not showing(acc):
            continue
        role = acc.getRoleName()
        label = labels(acc)
        named = bool(label) if role == "combo box" else bool(acc.name.strip() or label)
        if acc.getState().contains(pyatspi.STATE_FOCUSABLE) and not named:
            failures.append(f"{title}: a focusable {role} '{acc.name}' has no name")
        print(f"  {title}: {role} '{acc.name}'" + (f" labelled by '{label[0]}'" if label else "") +
              (f" ({acc.description})" if acc.description else ""))
    if expected_text is not None:
        texts = [a.name for a in descendants(window) if a.getRoleName() == "label"]
        texts.append(window.description)
        if not any(expected_text in t for t in texts):
            failures.append(f"{title}: the text '{expected_text}' is not read out")


def press(window, role, name):
    control = wait_for(f"{role} '{name}' in '{window.name}'", lambda: find(window, role, name))
    action = control.queryAction()
    for i in range(action.nActions):
        if action.getName(i) in ("Press", "press", "click", "Click"):
            action.doAction(i)
            return
    action.doAction(0)


def open_windows():
    return "; ".join(f"'{w.name}': " + " / ".join(a.name for a in descendants(w)
                                                 if a.getRoleName() == "label")
                     for w in windows())


def message(title, text):
    box = wait_for(f"message box '{title}' with '{text}' (open: {open_windows()})",
                   lambda: next((w for w in windows() if w.name == title and
                                 any(text in a.name for a in descendants(w))), None))
    walk(box, text)
    return box


def main():
    wait_for("the program on the accessibility bus", application)

    # Start-up: the floppy question comes while the splash window shows.
    box = message("QEL Trekkel", "A: floppy drive is not available.")
    walk(wait_for("the splash window", lambda: next(
        (w for w in windows() if find(w, "label", "Windows Platform")), None)))
    press(box, "push button", "Cancel")

    main_window = wait_for("the main window", lambda: window_named("Qel Trekkel"))
    wait_for("the source files", lambda: find(main_window, "list item", "DATA.CVT"))
    walk(main_window)

    # A backup: confirmation, progress window held up by the clip message, completion.
    press(main_window, "push button", "Backup QEL Files")
    press(message("QEL_Trekkel", "Backing up to drive"), "push button", "Yes")
    clip_box = message("QEL_Trekkel", "Trouble playing the AVI file.")
    walk(wait_for("the progress window", lambda: window_named("QEL_Trekkel Backup")))
    press(clip_box, "push button", "OK")
    press(message("QEL Trekkel", "Backup Complete"), "push button", "OK")

    press(main_window, "menu item", "Defaults")
    walk(wait_for("the defaults window", lambda: window_named("QEL Trekkel Defaults")))

    menu_bar = wait_for("the menu bar", lambda: next(
        a for a in descendants(main_window) if a.getRoleName() == "menu bar"))
    help_menu = find(menu_bar, "menu item", "Help") or find(menu_bar, "menu", "Help")
    about = wait_for("Help > About", lambda: find(help_menu, "menu item", "About"))
    about.queryAction().doAction(0)
    walk(wait_for("the About dialog", lambda: next(
        (w for w in windows() if w.name.startswith("About QEL_Trekkel")), None)))
    contents = wait_for("Help > Contents", lambda: find(help_menu, "menu item", "Contents"))
    contents.queryAction().doAction(0)
    walk(wait_for("the help window", lambda: window_named("QEL Trekkel Help")))

    press(main_window, "push button", "Exit")
    press(message("QEL_Trekkel", "Do you want to exit the program?"), "push button", "Yes")

    print("accessibility walk: windows walked:", "; ".join(seen_windows))
    if failures:
        print("accessibility walk: FAILED", *failures, sep="\n  ", file=sys.stderr)
        return 1
    print("accessibility walk: every control has a name")
    return 0


if __name__ == "__main__":
    sys.exit(main())
