#!/usr/bin/python3
"""The card table as a screen reader reads it, through AT-SPI (pyatspi).

    a11y_table.py slots          one line per slot of the table, in the order the
                                 table lists them: NAME<TAB>ROLE<TAB>STATES<TAB>DESCRIPTION
                                 (STATES: the words "focused" and "enabled" when set)
    a11y_table.py listen FILE    appends every announcement of the table's live line to
                                 FILE, one a line, until killed

Needs the session's accessibility bus and a program started with
QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1. Exit status 1 when no table is found.
"""
import sys

import pyatspi

TABLE_NAME = "Card table"
LIVE_LINE = "What happens at the table"  # the announcer's description


def find(node, test, depth=0):
    if node is None or depth > 12:
        return None
    try:
        if test(node):
            return node
        for child in node:
            found = find(child, test, depth + 1)
            if found is not None:
                return found
    except Exception:  # an object that went away while we looked
        return None
    return None


def table():
    desktop = pyatspi.Registry.getDesktop(0)
    return find(desktop, lambda n: n.name == TABLE_NAME and n.childCount == 14)


def slots():
    group = table()
    if group is None:
        return 1
    for slot in group:
        states = slot.getState()
        words = [word for word, state in (("focused", pyatspi.STATE_FOCUSED),
                                          ("enabled", pyatspi.STATE_ENABLED))
                 if states.contains(state)]
        print(f"{slot.name}\t{slot.getRoleName()}\t{' '.join(words)}\t{slot.description}")
    return 0


def listen(path):
    out = open(path, "a", buffering=1)

    def heard(event):
        try:
            if event.source.description != LIVE_LINE:
                return
            out.write(f"{event.any_data}\n")
        except Exception:
            pass

    # The words travel with the text-inserted event; the name may have moved on by the
    # time it could be read.
    pyatspi.Registry.registerEventListener(heard, "object:text-changed:insert")
    pyatspi.Registry.start()
    return 0


def main(argv):
    if len(argv) == 2 and argv[1] == "slots":
        return slots()
    if len(argv) == 3 and argv[1] == "listen":
        return listen(argv[2])
    print(__doc__.strip(), file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv))
