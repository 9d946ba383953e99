#!/bin/sh
# Makes a private Wine prefix, once, and starts its wineserver: the test prefixes and the
# prefix that ./zev run starts the tool in.
#   prefix.sh PREFIX TTYDIR [--dpi N] [--display [--unmanaged]] [--com1 DEVICE]
#             [--keep-desktop PROGRAM]
# A test prefix (no --display) uses the null graphics driver (windows, dialogs, timers and
# message loops work, nothing is shown) and maps COM ports to the pty pairs that the tests
# make with socat (tools/zevharness/ptys.py): COM1-COM8 and COM12 to TTYDIR/COMn, the
# tool's ends, and COM21-COM28 and COM32 (n + 20) to TTYDIR/COMn.dev, the device's ends,
# so a Windows program (the simulator, a test) can play the device. --dpi sets the
# resolution that GDI reports, for the tests of font sizes and for screenshots at it.
# --display: a prefix for a display (./zev run): Wine's own graphics driver, the faces the
# tool asks for from the metric-compatible Liberation fonts, Marlett for the caption
# buttons; --unmanaged for a display without a window manager (Wine draws the captions).
# --com1 DEVICE: COM1 leads to DEVICE, a real serial port, instead of TTYDIR/COM1.
# --keep-desktop PROGRAM: PROGRAM (tests/robot/desktop_keeper.cpp) is started in the
# prefix and holds its desktop until the server ends, so that Wine's desktop process is
# not ended and started again between two tests.
set -eu
prefix=$1
ttydir=$2
shift 2
dpi=96
display=
unmanaged=
com1=$ttydir/COM1
keeper=
while [ $# -gt 0 ]; do
  case $1 in
    --dpi) dpi=$2; shift 2 ;;
    --display) display=yes; shift ;;
    --unmanaged) unmanaged=yes; shift ;;
    --com1) com1=$2; shift 2 ;;
    --keep-desktop) keeper=$2; shift 2 ;;
    *) echo "prefix.sh: unknown option $1" >&2; exit 2 ;;
  esac
done
set -a
. "$(dirname "$0")/wine.env"
set +a
export WINEPREFIX="$prefix"
mkdir -p "$ttydir"
# The marker holds what the prefix was made for; a prefix made for other settings gets
# them again (the boot is done once).
ports="1 2 3 4 5 6 7 8 12"
made_for="$ports $ttydir $dpi ${display:-null} ${unmanaged:-managed} $com1"
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
    [ -z "$display" ] || echo "zev: preparing the Wine prefix $prefix (once)" >&2
    wineboot -i >/dev/null 2>&1 || { sleep 1; wineboot -i >/dev/null 2>&1; } ||
      { echo "prefix.sh: $prefix: wineboot -i failed" >&2; exit 1; }
  fi
  if [ -z "$display" ]; then
    reg_add 'HKCU\Software\Wine\Drivers' /v Graphics /t REG_SZ /d null
  else
    reg_add 'HKCU\Software\Wine\Fonts\Replacements' /v 'Courier New' /t REG_SZ /d 'Liberation Mono'
    reg_add 'HKCU\Software\Wine\Fonts\Replacements' /v 'Arial' /t REG_SZ /d 'Liberation Sans'
    [ -z "$unmanaged" ] || reg_add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N
  fi
  reg_add 'HKEY_CURRENT_CONFIG\Software\Fonts' /v LogPixels /t REG_DWORD /d "$dpi"
  for n in $ports; do
    target=$ttydir/COM$n
    [ "$n" != 1 ] || target=$com1
    reg_add 'HKLM\Software\Wine\Ports' /v "COM$n" /t REG_SZ /d "$target"
    reg_add 'HKLM\Software\Wine\Ports' /v "COM$((n + 20))" /t REG_SZ /d "$ttydir/COM$n.dev"
  done
  # Driver and port mapping are read when Wine starts.
  wineserver -k || true
  wineserver -w || true
  echo "$made_for" >"$prefix/.zev-ready"
fi
# The caption buttons' symbols come from Marlett; this Wine does not look for its own
# fonts (fonts-wine) by itself, only in the prefix's Fonts folder.
fonts=$prefix/drive_c/windows/Fonts
if [ -n "$display" ] && [ ! -f "$fonts/marlett.ttf" ]; then
  if [ -f /usr/share/wine/fonts/marlett.ttf ]; then
    mkdir -p "$fonts" && cp /usr/share/wine/fonts/marlett.ttf "$fonts/"
  else
    echo "zev: no /usr/share/wine/fonts/marlett.ttf (package fonts-wine): the caption buttons show letters" >&2
  fi
fi
# A prefix for a display starts with the tool, once the display is there.
[ -z "$display" ] || exit 0
# A persistent wineserver keeps every test's start quick. Its output (it may dump state when a
# mapped pty goes away) goes to a log file, not into a test's output. A server left
# running by an earlier run makes this one exit with "already running": fine.
# It dumps its object table (about 2 MB) each time a test's pty pair goes: the log starts
# afresh once it has passed 50 MB, so that repeated runs do not fill the disk.
log_size=$(stat -c %s "$prefix/wineserver.log" 2>/dev/null || echo 0)
[ "$log_size" -lt 52428800 ] || : >"$prefix/wineserver.log"
wineserver -p >>"$prefix/wineserver.log" 2>&1 </dev/null || true
# The first program on a fresh server starts Wine's own services, and they keep the
# output they inherit open for as long as the server lives: started from here, they
# hold the log file and not the output pipe of the first test (ctest would wait for it).
wine cmd /c exit >>"$prefix/wineserver.log" 2>&1 </dev/null || true
# Started in the background, with the same output as the services (a copy that finds one
# running ends at once).
[ -z "$keeper" ] || wine "$keeper" >>"$prefix/wineserver.log" 2>&1 </dev/null &
