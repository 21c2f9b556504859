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
# Both programs name themselves so on the bus, whatever their file is called.
app_name=kelvo-updater

# Once more inside a session bus of its own.
if [ -z "${ATSPI_UPDATE_INSIDE:-}" ]; then
  exec env ATSPI_UPDATE_INSIDE=1 dbus-run-session -- "$0" "$@"
fi

work=$(mktemp -d)
# The accessibility bus's socket goes under the runtime directory, or else to
# one fixed path in the home directory that every other run would share.
mkdir -m 700 "$work/run"
export XDG_RUNTIME_DIR="$work/run"
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp -noreset 3>"$work/display" 2>/dev/null &
pids+=($!)
for ((i = 0; i < 200; i++)); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=":$(head -n1 "$work/display")"

# The accessibility bus, started once, through D-Bus activation, as a desktop
# session starts it: with this display and runtime directory, so that its
# socket is this run's own and its address goes on the X root window. Qt 5.15
# as Debian builds it registers the window on its first event-loop turn, and
# only on a bus it is already connected to; the one address it reads before
# that turn is the root window's. Two things took that address away in earlier
# runs: an X server that resets, wiping root window properties, whenever its
# last client leaves, and a second launcher, which on losing the bus name
# exits and deletes the address on its way out. The window then never
# appeared on the bus.
dbus-update-activation-environment DISPLAY XDG_RUNTIME_DIR
address=""
for ((i = 0; i < 100; i++)); do
  address=$(dbus-send --session --dest=org.a11y.Bus --print-reply=literal /org/a11y/bus org.a11y.Bus.GetAddress \
    2>/dev/null | tr -d ' ') && [ -n "$address" ] && break
  sleep 0.1
done
[ -n "$address" ] || { echo "atspi_update: the accessibility bus did not start" >&2; exit 1; }
# The registry, which the window registers with, is running before it starts.
/usr/bin/python3 -c 'import gi; gi.require_version("Atspi", "2.0"); from gi.repository import Atspi
Atspi.get_desktop(0).get_child_count()'
xprop -root AT_SPI_BUS | grep -qF "\"$address\"" ||
  { echo "atspi_update: the X root window does not hold the accessibility bus's address" >&2; exit 1; }

# At a real device's speed, so that the bar is read on its way to 100.
env QT_LOGGING_RULES="qt.accessibility.atspi=true" QT_QPA_PLATFORM=xcb VORN_SIM_VARIANT=black \
  VORN_SIM_VERSION=0.5.19 VORN_SIM_TIMING=full-speed VORN_SIM_FLASH="$work/flash.bin" "$updater" >"$work/log" 2>&1 &
updater_pid=$!
pids+=($updater_pid)

status=0
/usr/bin/python3 "$here/atspi_read.py" "$app_name" || status=$?
if [ "$status" -ne 0 ]; then
  xprop -root AT_SPI_BUS >&2 || true
  grep -a -v '^Inject\|^Read\|^Response\|^Successful\|Version:\|^(1/1)\|Completed' "$work/log" | tail -n 20 >&2
  exit "$status"
fi
for ((i = 0; i < 100; i++)); do kill -0 "$updater_pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$updater_pid" 2>/dev/null && { echo "atspi_update: CLOSE pressed over the bus did not end the program" >&2; exit 1; }
echo "atspi_update: the window was read and updated over the AT-SPI bus"
