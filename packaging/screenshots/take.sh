#!/usr/bin/env bash
# Takes main-window.png, the metainfo's screenshot: the main window in English under Xvfb.
#
#   packaging/screenshots/take.sh [PROGRAM]   (default: build/package/letterloom from tools/package)
#
# The program starts in a temporary folder whose prefs.lng already holds the
# choice of English, so it opens its main window at once. Needs Xvfb,
# xwininfo (x11-utils), ImageMagick's import and the Liberation fonts.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
program=$(realpath "${1:-$here/../../build/package/letterloom}")
title="LETTERLOOM by ORVANTO"

work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

mkdir -m 700 "$work/start" "$work/home" "$work/run" "$work/tmp"
# The settings file's default content with English chosen; the group name
# "[Fran\xE7ais]" is Windows-1252.
printf '[Fran\xe7ais]\r\nLNG = 0\r\n[English]\r\nLNG = 1\r\n[Deutsch]\r\nLNG = 0\r\n[LASTDIR]\r\nc:\\\r\nc:\\\r\n' \
  >"$work/start/prefs.lng"

Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
pids+=($!)
for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=":$(head -n1 "$work/display")"
(cd "$work/start" && exec env QT_QPA_PLATFORM=xcb HOME="$work/home" XDG_RUNTIME_DIR="$work/run" \
  XDG_CACHE_HOME="$work/home/.cache" TMPDIR="$work/tmp" "$program" >/dev/null 2>&1) &
pids+=($!)

window=""
for _ in $(seq 100); do
  window=$(xwininfo -root -tree | grep -F "\"$title" | awk '{print $1}' | head -n1 || true)
  [ -n "$window" ] && break
  sleep 0.2
done
[ -n "$window" ] || { echo "no window \"$title...\" appeared" >&2; exit 1; }
sleep 1  # the first paint
import -window "$window" -strip "$work/shot.png"
mv "$work/shot.png" "$here/main-window.png"
identify -format "main-window.png: %wx%h\n" "$here/main-window.png"
