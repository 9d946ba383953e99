#!/usr/bin/env bash
# The monitor window with its chart after a minute of ZEVSIM's frames, in German and in
# English at 96 and 144 pixels per inch, photographed on a virtual display (Xvfb, Wine's
# X11 driver) into build/screenshots/monitor-chart-<DE|EN>-<96|144>.png.
#   tools/monitor_screenshots.sh [SECONDS]   (default 62: a delivery and the start of the next)
# Run after ./zev build; each picture takes about SECONDS and a half.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=$top/build
base=$build/monitor-shots
seconds=${1:-62}
export PYTHONPATH=$top/tools${PYTHONPATH:+:$PYTHONPATH}
export ZEV_DIST=$build/dist ZEV_TEST_BIN=$build/tests/bin
set -a
. "$top/tools/wine/wine.env"
set +a
mkdir -p "$base" "$build/screenshots"

xvfb=
prefix=
finish() {
  [ -z "$prefix" ] || sh "$top/tools/wine/stop_prefix.sh" "$prefix" || true
  if [ -n "$xvfb" ]; then
    kill "$xvfb" 2>/dev/null || true
    wait "$xvfb" 2>/dev/null || true
  fi
}
trap finish EXIT
trap 'exit 130' INT
trap 'exit 143' TERM HUP

display=:$(( 200 + RANDOM % 100 ))
Xvfb "$display" -screen 0 1920x1200x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X${display#:}" ] && break; sleep 0.1; done
export DISPLAY=$display

for dpi in 96 144; do
  prefix=$base/wine-$dpi
  export WINEPREFIX=$prefix
  sh "$top/tools/wine/prefix.sh" "$prefix" "$base/tty" --display --unmanaged
  # The resolution GDI reports, read when Wine starts.
  wine reg add 'HKEY_CURRENT_CONFIG\Software\Fonts' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
  wineserver -k || true
  wineserver -w || true
  for language in DE EN; do
    python3 "$top/tools/monitor_screenshots.py" "$base/run-$language-$dpi" "$base/tty" \
      "$build/screenshots/monitor-chart-$language-$dpi.png" "$language" "$seconds"
  done
  sh "$top/tools/wine/stop_prefix.sh" "$prefix" || true
  prefix=
done
