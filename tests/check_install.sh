#!/usr/bin/env bash
# Checks what an installation puts on a system.
#   check_install.sh tree <build dir>   installs into a scratch root with
#                                       prefix /usr and checks the files
#   check_install.sh deb <file.deb>     checks the package's file list
set -euo pipefail

app_id=com.vorn.KelvoUpdater
expected_files() {
  cat <<LIST
./usr/bin/kelvo-updater
./usr/bin/rivuvo
./usr/lib/udev/rules.d/60-kelvo-updater.rules
./usr/share/applications/$app_id.desktop
./usr/share/doc/kelvo-updater/copyright
LIST
  for size in 16 24 32 48 64 128 256; do
    echo "./usr/share/icons/hicolor/${size}x${size}/apps/$app_id.png"
  done
  cat <<LIST
./usr/share/icons/hicolor/scalable/apps/$app_id.svg
./usr/share/man/man1/kelvo-updater.1.gz
./usr/share/man/man1/rivuvo.1.gz
./usr/share/metainfo/$app_id.metainfo.xml
LIST
}

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

same_list() {
  if ! diff -u <(expected_files "$@" | sort) - >&2; then
    fail "the installed files differ from the list (- expected, + found)"
  fi
}

check_tree() {
  local build=$1
  root=$(mktemp -d)
  trap 'rm -rf "$root"' EXIT
  chmod 755 "$root"
  DESTDIR="$root" cmake --install "$build" --prefix /usr >/dev/null
  (cd "$root" && find . \( -type f -o -type l \) | sort) | same_list

  local share=$root/usr/share
  desktop-file-validate "$share/applications/$app_id.desktop" || fail "desktop-file-validate"
  appstreamcli validate --pedantic --no-net "$share/metainfo/$app_id.metainfo.xml" >/dev/null ||
    fail "appstreamcli validate: $(appstreamcli validate --pedantic --no-net "$share/metainfo/$app_id.metainfo.xml")"
  # What software centres show first.
  grep -q '<url type="homepage">https://' "$share/metainfo/$app_id.metainfo.xml" || fail "metainfo: no homepage"
  grep -q '<screenshot type="default">' "$share/metainfo/$app_id.metainfo.xml" || fail "metainfo: no screenshot"
  for page in "$share"/man/man1/*.1.gz; do
    local warnings
    warnings=$(MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null) || fail "man -l $page"
    [ -z "$warnings" ] || fail "man -l $page warns: $warnings"
  done
  for size in 16 24 32 48 64 128 256; do
    file "$share/icons/hicolor/${size}x${size}/apps/$app_id.png" | grep -q "PNG image data, $size x $size," ||
      fail "the ${size}x${size} icon is not a PNG of that size"
  done
  # The four update-mode IDs, each tagged for the user at the seat.
  for pid in 5e0d 5e0c 5e0b 5e03; do
    grep -q "^SUBSYSTEM==\"hidraw\", ATTRS{idVendor}==\"3b7c\", ATTRS{idProduct}==\"$pid\", TAG+=\"uaccess\"$" \
      "$root/usr/lib/udev/rules.d/60-kelvo-updater.rules" || fail "no uaccess rule for product ID $pid"
  done
  grep -q "^Icon=$app_id$" "$share/applications/$app_id.desktop" || fail "the desktop entry names another icon"
}

check_deb() {
  local listing
  listing=$(dpkg-deb -c "$1")
  # Directories are listed too; only files and links count.
  awk '$1 !~ /^d/ { print $6 }' <<<"$listing" | grep -v '/changelog.gz$' | sort | same_list
  grep -q ' ./usr/share/doc/kelvo-updater/changelog.gz$' <<<"$listing" || fail "no changelog.gz"
}

case "${1:-}" in
  tree) check_tree "$2" ;;
  deb) check_deb "$2" ;;
  *) fail "usage: check_install.sh tree <build dir> | deb <file.deb>" ;;
esac
echo "ok"
