#!/usr/bin/env bash
# Prints what a screen reader sees of the program: the AT-SPI tree (role, name, description,
# labelled-by) of the main window and of the help and about windows, opened through the menu,
# under a virtual X display. Needs: xvfb python3-pyatspi at-spi2-core dbus (apt-get install).
#   scripts/a11y-tree.sh [program]      (default build/app/kva271-config)
set -euo pipefail
cd "$(dirname "$0")/.."
program=$(realpath "${1:-build/app/kva271-config}")
for tool in Xvfb dbus-run-session /usr/libexec/at-spi-bus-launcher; do
  command -v "$tool" >/dev/null || { echo "missing $tool: apt-get install xvfb dbus at-spi2-core" >&2; exit 1; }
done
/usr/bin/python3 -c 'import pyatspi' 2>/dev/null || { echo "missing python3-pyatspi" >&2; exit 1; }

work=$(mktemp -d)
cp "$program" "$work/" # a copy: no setting.ini of the build tree opens a port
display=:$((90 + RANDOM % 9))
Xvfb "$display" -screen 0 1280x1024x24 >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null; rm -rf "$work"' EXIT
sleep 1
DISPLAY=$display PROGRAM="$work/$(basename "$program")" dbus-run-session -- bash -c '
  /usr/libexec/at-spi-bus-launcher --launch-immediately >/dev/null 2>&1 &
  sleep 1
  QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_QPA_PLATFORM=xcb "$PROGRAM" >/dev/null 2>&1 &
  app=$!
  /usr/bin/python3 - "$(basename "$PROGRAM")" <<"PY"
import sys, time
import pyatspi

def application(name):
    for _ in range(100):
        for app in pyatspi.Registry.getDesktop(0):
            if app is not None and app.name == name:
                return app
        time.sleep(0.1)
    sys.exit("the program did not appear on the accessibility bus")

def children(node):
    return [c for c in node if c is not None]

def find_item(node, name):
    # The menu "O aplikaci" is a menu item of the menu bar too: take the one without children.
    for c in children(node):
        if c.getRoleName() == "menu item" and c.name == name and c.childCount == 0:
            return c
        hit = find_item(c, name)
        if hit is not None:
            return hit

def show(node, depth=0):
    labelled = [r.getTarget(0).name for r in node.getRelationSet()
                if r.getRelationType() == pyatspi.RELATION_LABELLED_BY]
    line = "  " * depth + f"{node.getRoleName()} {node.name!r}"
    if node.description:
        line += f" description={node.description!r}"
    if labelled:
        line += f" labelled-by={labelled!r}"
    print(line)
    for c in children(node):
        show(c, depth + 1)

app = application(sys.argv[1])
time.sleep(1)
for item in ("Nápověda", "O aplikaci"):
    find_item(app, item).queryAction().doAction(0)
    time.sleep(1)
for window in children(app):
    show(window)
PY
  kill $app
' 2>&1 | grep -v "Failed to set fd limit"
