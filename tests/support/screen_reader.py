# A screen reader's editing calls on the program's collection box, made over the accessibility bus (AT-SPI) as
# Orca makes them: screen_reader.py APPLICATION. Finds the box «Собранный текст» of the application of that
# name and says "ready"; then for each line on standard input, "insert POSITION TEXT" or "delete START END",
# makes the call and says "done".
import sys
import time

import pyatspi

BOX = "Собранный текст"


def find_box(node):
    if node is None:
        return None
    if node.getRole() == pyatspi.ROLE_TEXT and node.name == BOX:
        return node
    for child in node:
        found = find_box(child)
        if found is not None:
            return found
    return None


box = None
for attempt in range(300):
    for app in pyatspi.Registry.getDesktop(0):
        if app is not None and app.name == sys.argv[1]:
            box = find_box(app)
    if box is not None:
        break
    time.sleep(0.1)
if box is None:
    raise SystemExit("no box «%s» in %s" % (BOX, sys.argv[1]))
print("ready", flush=True)
editable = box.queryEditableText()
for line in sys.stdin:
    command, first, rest = (line.rstrip("\n").split(" ", 2) + [""])[:3]
    if command == "insert":
        editable.insertText(int(first), rest, len(rest))
    elif command == "delete":
        editable.deleteText(int(first), int(rest))
    print("done", flush=True)
