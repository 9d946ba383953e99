#!/usr/bin/env bash
# tools/shots.sh [--dpi 96|144] [--lang de|en] [--device Vantik|Corlaxa|Brennix]: the
# screenshots of ./zev run's session (tools/run.sh, tools/run_session.py) at a resolution and
# in a language, for the README and the guides. Always on a virtual display of its own (Xvfb)
# with Wine's x11 driver, whatever display there is, in a folder and Wine prefix of their own
# for each resolution and language: build/shots/LANG-DPI/ (run/, wine/), the screenshots in
# build/shots/LANG-DPI/screenshots. Not part of ./zev test.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
dpi=96
lang=de
device=
while [ $# -gt 0 ]; do
  case $1 in
    --dpi) dpi=${2:?--dpi needs a number, such as 144}; shift 2 ;;
    --lang) lang=${2:?--lang needs de or en}; shift 2 ;;
    --device) device=${2:?--device needs Vantik, Corlaxa or Brennix}; shift 2 ;;
    *) echo "usage: tools/shots.sh [--dpi 96|144] [--lang de|en] [--device Vantik|Corlaxa|Brennix]" >&2; exit 2 ;;
  esac
done
case $lang in
  de) library=ZEV_DE.DLL ;;
  en) library=ZEV_EN.DLL ;;
  *) echo "zev: --lang is de or en" >&2; exit 2 ;;
esac
case $dpi in
  ''|*[!0-9]*) echo "zev: --dpi is a number of pixels per inch, such as 96 or 144" >&2; exit 2 ;;
esac
base=$top/build/shots/$lang-$dpi
mkdir -p "$base/run"
# The language library and the device in the run's ZEV.INI, the rest of it kept.
python3 - "$base/run/ZEV.INI" "$library" "$device" <<'PY'
import configparser, sys
path, library, device = sys.argv[1:]
parser = configparser.RawConfigParser()
parser.optionxform = str
parser.read(path, encoding="cp1252")
for section, key, value in (("Setup", "LanguageLibrary", library), ("Device", "Device", device)):
    if value:
        if not parser.has_section(section):
            parser.add_section(section)
        parser.set(section, key, value)
with open(path, "w", encoding="cp1252", newline="\r\n") as f:
    parser.write(f, space_around_delimiters=False)
PY
# No display of the user's: run.sh starts a virtual one and photographs the session.
unset DISPLAY
export ZEV_RUN_DIR=$base ZEV_RUN_DPI=$dpi
exec "$top/tools/run.sh"
