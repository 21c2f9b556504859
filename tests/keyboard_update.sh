#!/bin/bash
# With the keyboard alone a user goes from the offer page through the update
# to CLOSE: the real window, on an X server of its own (Xvfb, with openbox as
# window manager when installed), keys typed by xdotool as a keyboard types.
# Needs no display of the caller's.
#
#   keyboard_update.sh UPDATER IMAGE
#     UPDATER  kelvo-updater-sim; IMAGE  the black variant's firmware image
set -euo pipefail

updater=$1
image=$2
work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "keyboard_update: $*" >&2
  echo "--- the updater's last output:" >&2
  tail -c 2000 "$work/log" >&2 || true
  exit 1
}

# Waits up to $1 seconds for the command after it to succeed.
within() {
  local seconds=$1 i
  shift
  for ((i = 0; i < seconds * 10; i++)); do
    if "$@"; then return 0; fi
    sleep 0.1
  done
  return 1
}

logged() { grep -q -F -- "$1" "$work/log"; }

Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
pids+=($!)
within 20 test -s "$work/display" || fail "Xvfb did not start"
export DISPLAY=":$(head -n1 "$work/display")"
if command -v openbox >/dev/null; then
  openbox --sm-disable >/dev/null 2>&1 &
  pids+=($!)
fi

env QT_QPA_PLATFORM=xcb VORN_SIM_VARIANT=black VORN_SIM_VERSION=0.5.19 VORN_SIM_FLASH="$work/flash.bin" \
  "$updater" >"$work/log" 2>&1 &
updater_pid=$!
pids+=($updater_pid)

window=$(timeout 30 xdotool search --sync --onlyvisible --name '^Kelvo Updater$' | head -n1) ||
  fail "the window did not appear"
# Activation needs a window manager; without one, the input focus is set directly.
xdotool windowactivate --sync "$window" 2>/dev/null || xdotool windowfocus --sync "$window"

# The offer page shows once the version is read; until the erase starts,
# Tab (which keeps to the one button there is) and Return are typed again.
within 30 logged "Version: " || fail "no version was read"
for ((i = 0; i < 20; i++)); do
  xdotool key Tab Return
  if within 1 logged "Inject command 'flash-erase-region'"; then break; fi
done
logged "Inject command 'flash-erase-region'" || fail "Return on the offer page did not start the update"

within 60 logged "Inject command 'reset'" || fail "the update did not reach the reset"
# The finished page has CLOSE in focus: Space ends the program.
for ((i = 0; i < 20; i++)); do
  if ! kill -0 "$updater_pid" 2>/dev/null; then break; fi
  xdotool key space
  sleep 1
done
kill -0 "$updater_pid" 2>/dev/null && fail "Space on the finished page did not close the window"
status=0
wait "$updater_pid" || status=$?
[ "$status" -eq 0 ] || fail "the updater ended with $status"

size=$(stat -c %s "$image")
cmp -s -n "$size" "$image" "$work/flash.bin" || fail "the controller's flash does not hold the image"
echo "keyboard_update: Tab, Return and Space took the controller from the offer page to CLOSE"
