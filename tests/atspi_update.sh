#!/bin/bash
# The window as a screen reader sees it over a real AT-SPI bus: a session bus
# of its own (dbus-run-session), the accessibility bus and registry of
# at-spi2-core, an X server of its own, and atspi_read.py reading the window
# and pressing its buttons through their actions.
#
#   atspi_update.sh UPDATER
set -euo pipefail

updater=$1
here=$(dirname "$(readlink -f "$0")")

# Once more inside a session bus of its own.
if [ -z "${ATSPI_UPDATE_INSIDE:-}" ]; then
  exec env ATSPI_UPDATE_INSIDE=1 dbus-run-session -- "$0" "$@"
fi

work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
pids+=($!)
for ((i = 0; i < 200; i++)); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=":$(head -n1 "$work/display")"

# The accessibility bus, up before the window asks for it, and switched on as
# a screen reader switches it on; the window is also told to expose itself
# whatever the bus says. Without all three a Qt program may come up before the
# bus or decide that no screen reader listens, and never appear on the bus.
/usr/libexec/at-spi-bus-launcher --launch-immediately &
pids+=($!)
for ((i = 0; i < 100; i++)); do
  dbus-send --session --dest=org.a11y.Bus --print-reply /org/a11y/bus org.a11y.Bus.GetAddress >/dev/null 2>&1 && break
  sleep 0.1
done
dbus-send --session --dest=org.a11y.Bus --print-reply /org/a11y/bus org.freedesktop.DBus.Properties.Set \
  string:org.a11y.Status string:IsEnabled variant:boolean:true >/dev/null

# At a real device's speed, so that the bar is read on its way to 100.
env QT_QPA_PLATFORM=xcb QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_ACCESSIBILITY=1 VORN_SIM_VARIANT=black \
  VORN_SIM_VERSION=0.5.19 VORN_SIM_TIMING=full-speed VORN_SIM_FLASH="$work/flash.bin" "$updater" >"$work/log" 2>&1 &
updater_pid=$!
pids+=($updater_pid)

status=0
/usr/bin/python3 "$here/atspi_read.py" "$(basename "$updater")" || status=$?
if [ "$status" -ne 0 ]; then
  tail -c 1500 "$work/log" >&2
  exit "$status"
fi
for ((i = 0; i < 100; i++)); do kill -0 "$updater_pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$updater_pid" 2>/dev/null && { echo "atspi_update: CLOSE pressed over the bus did not end the program" >&2; exit 1; }
echo "atspi_update: the window was read and updated over the AT-SPI bus"
