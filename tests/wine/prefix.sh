#!/bin/sh
# Makes the private Wine prefix that the tests run in, once, and starts its wineserver.
#   prefix.sh PREFIX TTYDIR [DPI]
# The prefix uses the null graphics driver (windows, dialogs, timers and message loops
# work, nothing is shown) and maps COM ports to the pty pairs that the serial tests make
# with socat (tools/zevharness/ptys.py): COM1-COM4 and COM12 to TTYDIR/COMn, the tool's
# ends, and COM21-COM24 and COM32 (n + 20) to TTYDIR/COMn.dev, the device's ends, so a
# Windows program (the simulator, a test) can play the device.
set -eu
prefix=$1
ttydir=$2
dpi=${3:-96}
export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
mkdir -p "$ttydir"
# The marker holds what the prefix was made for; a prefix made for another pty folder or
# resolution gets its settings again (the boot is done once).
made_for="$ttydir $dpi"
if [ "$(cat "$prefix/.zev-ready" 2>/dev/null)" != "$made_for" ]; then
  mkdir -p "$prefix"
  # Two prefixes made side by side (the test run makes several) have seen a first boot or
  # a registry write fail now and then: each is tried again, and a failure says what.
  reg_add() {
    for attempt in 1 2 3; do
      wine reg add "$@" /f >/dev/null 2>&1 && return 0
      sleep 1
    done
    echo "prefix.sh: $prefix: wine reg add $* failed" >&2
    return 1
  }
  if [ ! -f "$prefix/system.reg" ]; then
    wineboot -i >/dev/null 2>&1 || { sleep 1; wineboot -i >/dev/null 2>&1; } ||
      { echo "prefix.sh: $prefix: wineboot -i failed" >&2; exit 1; }
  fi
  reg_add 'HKCU\Software\Wine\Drivers' /v Graphics /t REG_SZ /d null
  # The resolution that GDI reports (LOGPIXELSX/Y), for the tests of font sizes.
  reg_add 'HKEY_CURRENT_CONFIG\Software\Fonts' /v LogPixels /t REG_DWORD /d "$dpi"
  for n in 1 2 3 4 12; do
    reg_add 'HKLM\Software\Wine\Ports' /v "COM$n" /t REG_SZ /d "$ttydir/COM$n"
    reg_add 'HKLM\Software\Wine\Ports' /v "COM$((n + 20))" /t REG_SZ /d "$ttydir/COM$n.dev"
  done
  # Driver and port mapping are read when Wine starts.
  wineserver -k || true
  wineserver -w || true
  echo "$made_for" >"$prefix/.zev-ready"
fi
# A persistent wineserver keeps every test's start quick. Its output (it may dump state
# when a mapped pty goes away) goes to a log file, not into the test output. A server
# left running by an earlier test run makes this one exit with "already running": fine.
wineserver -p >>"$prefix/wineserver.log" 2>&1 </dev/null || true
# The first program on a fresh server starts Wine's own services, and they keep the
# output they inherit open for as long as the server lives: started from here, they
# hold the log file and not the output pipe of the first test (ctest would wait for it).
wine cmd /c exit >>"$prefix/wineserver.log" 2>&1 </dev/null || true
