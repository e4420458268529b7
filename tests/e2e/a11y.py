#!/usr/bin/python3
"""Reads what the running program shows through its accessibility interface (AT-SPI).

The whole-program runs use it to recognise windows by their title and contents and to
read texts off the table (the clock, the goals) instead of guessing them from pixels.

    a11y.py windows         one line per window on screen: ROLE<TAB>TITLE
    a11y.py texts TITLE     the texts shown in the window titled TITLE, one per line:
                            ROLE<TAB>TEXT, in reading order (top to bottom, then left
                            to right), whatever order the widgets were made in
    a11y.py menu NAME       the items of the menu NAME when it is open (nothing otherwise)
    a11y.py press TITLE BUTTON
                            presses the button BUTTON of the window titled TITLE (a box
                            answered this way needs no keyboard focus, which nobody hands
                            out on a display without a window manager)

Needs the accessibility bus of the session (at-spi-bus-launcher) and a program started
with QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1. Exit status 0, 1 when no window matched, 3 when
the read itself failed (the bus or the program did not answer): a caller must never take
a failed read for an empty window.
"""
import sys

import dbus

ACCESSIBLE = "org.a11y.atspi.Accessible"
PROPERTIES = "org.freedesktop.DBus.Properties"
COMPONENT = "org.a11y.atspi.Component"
STATE_SHOWING = 25  # AtspiStateType
TIMEOUT = 5  # seconds per call: a program that does not answer fails the caller's step


def connect():
    session = dbus.SessionBus()
    address = session.get_object("org.a11y.Bus", "/org/a11y/bus").GetAddress(
        dbus_interface="org.a11y.Bus", timeout=TIMEOUT)
    return dbus.bus.BusConnection(address)


class Node:
    def __init__(self, bus, ref):
        self.bus = bus
        self.obj = bus.get_object(ref[0], ref[1], introspect=False)

    def name(self):
        return str(self.obj.Get(ACCESSIBLE, "Name", dbus_interface=PROPERTIES, timeout=TIMEOUT))

    def role(self):
        return str(self.obj.GetRoleName(dbus_interface=ACCESSIBLE, timeout=TIMEOUT))

    def showing(self):
        states = self.obj.GetState(dbus_interface=ACCESSIBLE, timeout=TIMEOUT)
        return bool(states[STATE_SHOWING // 32] & (1 << (STATE_SHOWING % 32)))

    def children(self):
        refs = self.obj.GetChildren(dbus_interface=ACCESSIBLE, timeout=TIMEOUT)
        return [Node(self.bus, ref) for ref in refs]


def top_levels(bus):
    """The showing windows of every application on the bus (one in a test session)."""
    desktop = Node(bus, ("org.a11y.atspi.Registry", "/org/a11y/atspi/accessible/root"))
    for app in desktop.children():
        for window in app.children():
            if window.showing():
                yield window


def showing_descendants(node):
    for child in node.children():
        if child.showing():
            yield child
            yield from showing_descendants(child)


def main(argv):
    if len(argv) < 2 or argv[1] not in ("windows", "texts", "menu", "press"):
        print(__doc__.strip(), file=sys.stderr)
        return 2
    bus = connect()
    found = False
    if argv[1] == "windows":
        for window in top_levels(bus):
            print(f"{window.role()}\t{window.name()}")
            found = True
    elif argv[1] == "texts":
        for window in top_levels(bus):
            if window.name() != argv[2]:
                continue
            found = True
            shown = []
            for node in showing_descendants(window):
                text = node.name()
                if text:
                    x, y, _, _ = node.obj.GetExtents(0, dbus_interface=COMPONENT, timeout=TIMEOUT)
                    shown.append((int(y), int(x), node.role(), text))
            for _, _, role, text in sorted(shown, key=lambda item: item[:2]):
                print(f"{role}\t{text}")
    elif argv[1] == "press":
        for window in top_levels(bus):
            if window.name() != argv[2]:
                continue
            for node in showing_descendants(window):
                if node.role() == "push button" and node.name() == argv[3]:
                    node.obj.DoAction(0, dbus_interface="org.a11y.atspi.Action", timeout=TIMEOUT)
                    return 0
    else:
        for window in top_levels(bus):
            for node in showing_descendants(window):
                if node.role() == "menu item" and node.name() == argv[2]:
                    for menu in node.children():
                        if menu.showing():
                            found = True
                            for item in menu.children():
                                if item.role() != "separator":
                                    print(item.name())
    return 0 if found else 1


READ_FAILED = 3

if __name__ == "__main__":
    try:
        sys.exit(main(sys.argv))
    except dbus.DBusException as error:
        print(f"a11y: {error.get_dbus_name()}: {error.get_dbus_message()}", file=sys.stderr)
        sys.exit(READ_FAILED)
    except Exception as error:  # anything else unexpected is a failed read too, never "no match"
        print(f"a11y: {type(error).__name__}: {error}", file=sys.stderr)
        sys.exit(READ_FAILED)
