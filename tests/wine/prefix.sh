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
  [ -f "$prefix/system.reg" ] || wineboot -i >/dev/null 2>&1
  wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /t REG_SZ /d null /f >/dev/null 2>&1
  # The resolution that GDI reports (LOGPIXELSX/Y), for the tests of font sizes.
  wine reg add 'HKEY_CURRENT_CONFIG\Software\Fonts' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
  for n in 1 2 3 4 12; do
    wine reg add 'HKLM\Software\Wine\Ports' /v "COM$n" /t REG_SZ /d "$ttydir/COM$n" /f >/dev/null 2>&1
    wine reg add 'HKLM\Software\Wine\Ports' /v "COM$((n + 20))" /t REG_SZ /d "$ttydir/COM$n.dev" /f >/dev/null 2>&1
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
