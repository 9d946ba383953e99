#!/usr/bin/env bash
# ./zev run [--port DEVICE]: starts ZEV.EXE under Wine in build/run, the technician's
# folder (the program with its libraries, ZEV.INI and ZevLog.TXT, kept between runs).
# With a display the tool opens there. Without one it runs on a virtual display, a short
# session is driven by the UI robot, screenshots go to build/screenshots, and the tool
# is closed again.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=$top/build
rundir=$build/run
port=

while [ $# -gt 0 ]; do
  case $1 in
    --port) port=${2:?--port needs a serial device, such as /dev/ttyUSB0}; shift 2 ;;
    *) echo "usage: ./zev run [--port DEVICE]" >&2; exit 2 ;;
  esac
done

mkdir -p "$rundir"
cp "$build"/dist/*.EXE "$build"/dist/*.DLL "$rundir"/

# make_prefix PREFIX [unmanaged]: a Wine prefix of its own for running the tool.
make_prefix() {
  local prefix=$1
  if [ ! -f "$prefix/.zev-ready" ]; then
    echo "zev: preparing the Wine prefix $prefix (once)" >&2
    mkdir -p "$prefix"
    WINEPREFIX=$prefix wineboot -i >/dev/null 2>&1
    if [ "${2:-}" = unmanaged ]; then
      # No window manager on a virtual display: Wine draws the captions itself.
      WINEPREFIX=$prefix wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
    fi
    WINEPREFIX=$prefix wineserver -w
    touch "$prefix/.zev-ready"
  fi
}

# map_com1 PREFIX DEVICE: COM1 of the prefix is the serial device (read at Wine's start).
map_com1() {
  WINEPREFIX=$1 wine reg add 'HKLM\Software\Wine\Ports' /v COM1 /t REG_SZ /d "$2" /f >/dev/null 2>&1
  WINEPREFIX=$1 wineserver -k 2>/dev/null || true
  WINEPREFIX=$1 wineserver -w 2>/dev/null || true
}

export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

if [ -n "${DISPLAY:-}" ]; then
  export WINEPREFIX=$build/wine/run-prefix
  make_prefix "$WINEPREFIX"
  [ -z "$port" ] || map_com1 "$WINEPREFIX" "$port"
  cd "$rundir"
  exec wine ZEV.EXE
fi

# No display: a virtual one, and the robot drives a short session.
export WINEPREFIX=$build/wine/xvfb-prefix
make_prefix "$WINEPREFIX" unmanaged
[ -z "$port" ] || map_com1 "$WINEPREFIX" "$port"
display=:$(( 90 + RANDOM % 100 ))
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null || true' EXIT
for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X${display#:}" ] && break; sleep 0.1; done
export DISPLAY=$display
ZEV_TEST_BIN=$build/tests/bin python3 "$top/tools/headless_session.py" "$rundir" "$build/screenshots"
