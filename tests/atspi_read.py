#!/usr/bin/python3
"""Reads the updater window over the AT-SPI bus as a screen reader does, and
updates a controller through it: finds the application, reads the offer
page's words and the named UPDATE button, presses it through its action,
follows the progress bar's value to 100 and presses CLOSE.

Run with Debian's interpreter (it has python3-gi and gir1.2-atspi-2.0), on a
session bus where the updater was started with accessibility on.
    atspi_read.py APPLICATION-NAME
"""
import sys
import time
import warnings

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi  # noqa: E402

APP = sys.argv[1]
# Debian 12's bindings mark the per-object action calls as old; they are the ones it has.
warnings.filterwarnings("ignore", category=DeprecationWarning)


def fail(message):
    print("atspi_read: " + message, file=sys.stderr)
    sys.exit(1)


def application():
    desktop = Atspi.get_desktop(0)
    for i in range(desktop.get_child_count()):
        app = desktop.get_child_at_index(i)
        if app is not None and app.get_name() == APP:
            return app
    return None


def walk(node, depth=0):
    """Every object under node, in tree order."""
    if node is None or depth > 30:
        return
    yield node
    for i in range(node.get_child_count()):
        yield from walk(node.get_child_at_index(i), depth + 1)


def showing(node):
    return node.get_state_set().contains(Atspi.StateType.SHOWING)


def find(app, role, name=None):
    for node in walk(app):
        if node.get_role() == role and (name is None or node.get_name() == name):
            return node
    return None


def words_showing(app):
    return [node.get_name() for node in walk(app)
            if node.get_role() == Atspi.Role.LABEL and node.get_name() and showing(node)]


def wait_for(what, test, seconds):
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        found = test()
        if found:
            return found
        time.sleep(0.2)
    fail("timed out waiting for " + what)


def press(button):
    for i in range(button.get_n_actions()):
        if button.get_action_name(i).lower() == "press":
            button.do_action(i)
            return
    fail("%s has no press action" % button.get_name())


app = wait_for("the application on the bus", application, 30)
update = wait_for("a showing UPDATE button",
                  lambda: next((n for n in walk(app) if n.get_role() == Atspi.Role.PUSH_BUTTON
                                and n.get_name() == "Update" and showing(n)), None), 30)
offer = words_showing(app)
for expected in ("FIRMWARE UPDATE AVAILABLE", "Current firmware version:", "0.5.19", "New firmware version:",
                 "0.5.20"):
    if expected not in offer:
        fail("%r is not read on the offer page: %r" % (expected, offer))
if not update.get_description():
    fail("UPDATE has no description")
print("offer page:", " | ".join(offer))

press(update)
bar = wait_for("the progress bar", lambda: find(app, Atspi.Role.PROGRESS_BAR, "Update progress"), 10)
values = []
close = None
end = time.monotonic() + 120
while time.monotonic() < end and close is None:
    value = bar.get_current_value()
    if not values or values[-1] != value:
        values.append(value)
    close = next((n for n in walk(app) if n.get_role() == Atspi.Role.PUSH_BUTTON and n.get_name() == "Close"
                  and showing(n)), None)
    time.sleep(0.05)
if close is None:
    fail("the finished page did not show; progress values read: %r" % values)
values.append(bar.get_current_value())
print("progress values read: %d, from %g to %g" % (len(values), values[0], values[-1]))
if values[-1] != 100 or sorted(values) != values or len(set(values)) < 3:
    fail("the progress value did not rise to 100: %r" % values)
finished = words_showing(app)
if "UPDATE COMPLETE" not in finished:
    fail("the finished page's words are not read: %r" % finished)
print("finished page:", " | ".join(finished))
press(close)
