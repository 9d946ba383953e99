#!/usr/bin/env bash
# ./zev run [--port DEVICE | --rfc2217 | --tcp] [-- ARGS...]: starts ZEV.EXE under Wine in
# build/run, the technician's folder (the program with its libraries, ZEV.INI and ZevLog.TXT,
# kept between runs), on COM1. On the other end of COM1 sits the device simulator ZEVSIM.EXE,
# or with --port a real serial device. With --rfc2217 (--tcp) COM1 leads to the network: the
# simulator serves on a free TCP port of 127.0.0.1 as an RFC 2217 server (raw TCP), and the
# run's ZEV.INI maps COM1 to it ([Ports] COM1=rfc2217://127.0.0.1:PORT, socket://...). With a display the tool opens there; without one it runs on a
# virtual display, the UI robot drives a short session and screenshots go to
# build/screenshots. With ARGS, ZEV.EXE runs that command line unattended instead (file
# names relative to the current folder); what it says on standard error, the last lines
# of the log and the result row it wrote are printed in the terminal's encoding, and the
# exit code is ZEV.EXE's.
# ZEV_RUN_DIR=DIR puts the run's folder, Wine prefix and screenshots under DIR instead of
# build (the test of this script runs there, apart from the technician's folder; so do the
# screenshots of tools/shots.sh). ZEV_RUN_DPI=N makes the prefix's resolution N pixels per
# inch (96 unless set).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
export PYTHONPATH=$top/tools${PYTHONPATH:+:$PYTHONPATH}  # the session's harness (tools/zevharness)
build=$top/build
base=${ZEV_RUN_DIR:-$build}
rundir=$base/run
ttydir=$rundir/tty
port=
network=
tool_args=()
user_dir=${ZEV_USER_DIR:-$PWD} # ./zev works from the checkout; the user's names are from here

while [ $# -gt 0 ]; do
  case $1 in
    --port) port=${2:?--port needs a serial device, such as /dev/ttyUSB0}; shift 2 ;;
    --rfc2217) network=rfc2217; shift ;;
    --tcp) network=socket; shift ;;
    --) shift; tool_args=("$@"); break ;;
    *) echo "usage: ./zev run [--port DEVICE | --rfc2217 | --tcp] [-- ZEV.EXE ARGUMENTS...]" >&2; exit 2 ;;
  esac
done
if [ -n "$port" ] && [ -n "$network" ]; then
  echo "zev: --port and --${network/socket/tcp} exclude each other" >&2
  exit 2
fi
if [ -n "$port" ] && [ ! -e "$port" ]; then
  echo "zev: $port does not exist" >&2
  exit 2
fi
# A USB adapter's latency timer goes to 1 ms for the run (where the kernel offers it).
latency_old=

mkdir -p "$rundir" "$ttydir"
cp "$build"/dist/*.EXE "$build"/dist/*.DLL "$rundir"/

# The session prints in the encoding of the terminal this was started in (the user's
# locale), before Wine's settings below put in a locale of their own.
ZEV_TERMINAL_ENCODING=${ZEV_TERMINAL_ENCODING:-$(python3 -c 'import locale; print(locale.getpreferredencoding(False))')}
export ZEV_TERMINAL_ENCODING

set -a
. "$top/tools/wine/wine.env"
set +a

# make_prefix PREFIX [--unmanaged]: the Wine prefix of the run, for a display, with COM1
# on the simulator's pty or the given device and COM21 on the simulator's end.
make_prefix() {
  local prefix=$1
  shift
  sh "$top/tools/wine/prefix.sh" "$prefix" "$ttydir" --display "$@" --com1 "${port:-$ttydir/COM1}" \
    --dpi "${ZEV_RUN_DPI:-96}"
}

session=(python3 "$top/tools/run_session.py" "$rundir" "$ttydir" "$base/screenshots")
[ -z "$port" ] || session+=(--device "$port")
[ -z "$network" ] || session+=(--network "$network")
export ZEV_DIST=$rundir ZEV_TEST_BIN=$build/tests/bin ZEV_FIRMWARE=$build/tests/firmware

# Everything the run starts ends with it, on Ctrl+C too: the session (it ends the tool,
# the simulator and the pty pair), the virtual display, and the prefix's wineserver with
# Wine's services. The session runs in the background so that a signal reaches this
# script at once, and is passed on to it as SIGTERM (a background job ignores SIGINT).
session_pid=
xvfb=
finish() {
  trap - INT TERM HUP
  if [ -n "$session_pid" ]; then
    kill -TERM "$session_pid" 2>/dev/null || true
    wait "$session_pid" 2>/dev/null || true
  fi
  if [ -n "$xvfb" ]; then
    kill "$xvfb" 2>/dev/null || true
    wait "$xvfb" 2>/dev/null || true
  fi
  if [ -n "${WINEPREFIX:-}" ]; then
    sh "$top/tools/wine/stop_prefix.sh" "$WINEPREFIX" || true
  fi
  [ -z "$latency_old" ] || python3 "$top/tools/latency_timer.py" restore "$port" "$latency_old" || true
}
trap finish EXIT
trap 'exit 130' INT
trap 'exit 143' TERM HUP
[ -z "$port" ] || latency_old=$(python3 "$top/tools/latency_timer.py" set "$port") || true

run_session() {
  "${session[@]}" "$@" --cwd "$user_dir" -- "${tool_args[@]}" &
  session_pid=$!
  local code=0
  wait "$session_pid" || code=$?
  session_pid=
  return "$code"
}

if [ -n "${DISPLAY:-}" ]; then
  export WINEPREFIX=$base/wine/run-prefix
  make_prefix "$WINEPREFIX"
  run_session
  exit
fi

# No display: a virtual one.
export WINEPREFIX=$base/wine/xvfb-prefix
make_prefix "$WINEPREFIX" --unmanaged
display=:$(( 90 + RANDOM % 100 ))
Xvfb "$display" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X${display#:}" ] && break; sleep 0.1; done
export DISPLAY=$display
run_session --headless
