# SPDX-FileCopyrightText: Chimewick developers
# SPDX-License-Identifier: GPL-3.0-or-later

# Reads a running program's window over AT-SPI: every control that takes the focus, showing
# or not, must have a name and be no label, and none may carry a frame's caption unless it is
# that frame. Also requires the clock warning and the next bell to be read out from the
# player's display.
import sys
import time

import pyatspi

CLOCK_WARNING = "Clock not synchronised with network time: bells follow this computer's clock"


def find_app(name, seconds=30):
    end = time.time() + seconds
    while time.time() < end:
        for app in pyatspi.Registry.getDesktop(0):
            if app is not None and app.name == name and app.childCount > 0:
                return app
        time.sleep(0.3)
    return None


def walk(node):
    yield node
    for child in node:
        if child is not None:
            yield from walk(child)


app = find_app(sys.argv[1])
if app is None:
    sys.exit("read_accessible: the program's window never appeared over AT-SPI")
# The warning comes from the time service a moment after the window shows.
for _ in range(50):
    nodes = list(walk(app))
    if any(n.name == CLOCK_WARNING for n in nodes):
        break
    time.sleep(0.2)

frames = {n.name for n in nodes if n.getRole() == pyatspi.ROLE_PANEL and n.name}
faults = []
focusable = 0
for n in nodes:
    state = n.getState()
    if not state.contains(pyatspi.STATE_FOCUSABLE):
        continue
    # A hidden control is checked too: the player's warnings line, say, shows later.
    focusable += state.contains(pyatspi.STATE_SHOWING)
    if not n.name:
        faults.append(f"a {n.getRoleName()} without a name, in '{n.parent.name}'")
    elif n.getRole() == pyatspi.ROLE_LABEL:  # static text, whose empty line reads as nothing
        faults.append(f"a label that takes the focus: '{n.name}'")
    elif n.name in frames and n.getRole() != pyatspi.ROLE_PANEL:
        faults.append(f"a {n.getRoleName()} named by its frame: '{n.name}'")
if not any(n.name == CLOCK_WARNING and n.getRole() == pyatspi.ROLE_LABEL for n in nodes):
    faults.append("the clock warning is not read out from the player's display")
if not any(n.getRole() == pyatspi.ROLE_LABEL and
           (n.name.startswith("Next bell ") or n.name == "No more bells today") for n in nodes):
    faults.append("the next bell is not read out from the player's display")
print(f"read_accessible: {focusable} focusable controls, {len(faults)} faults")
for fault in faults:
    print("  " + fault)
sys.exit(1 if faults or focusable < 80 else 0)
