#!/bin/sh
# Ends everything that runs in a Wine prefix once its tests (or ./zev run) are done.
#   stop_prefix.sh PREFIX
# prefix.sh keeps the prefix's wineserver and Wine's services (services.exe, winedevice,
# plugplay, explorer, rpcss..., and the tests' desktop keeper) running for the whole test
# run, so that each test starts quickly; they end here. Anything else still running with WINEPREFIX=PREFIX in its
# environment (Wine's programs, and what the tests started with ctest's environment, such
# as socat) was left behind by whatever started it: it is named, ended, and the script
# fails.
set -u
prefix=$1
# Run without the variable, so that this script and its subshells are not the prefix's.
[ -z "${WINEPREFIX+set}" ] || exec env -u WINEPREFIX sh "$0" "$@"

# The processes with WINEPREFIX=$prefix in their environment, this script's own callers
# excepted (./zev run has the variable too).
callers=" "
pid=$$
while [ "$pid" -gt 1 ] 2>/dev/null; do
  callers="$callers$pid "
  pid=$(ps -o ppid= -p "$pid" | tr -d ' ')
done
prefix_processes() {
  for dir in /proc/[0-9]*; do
    pid=${dir#/proc/}
    case $callers in *" $pid "*) continue ;; esac
    { tr '\0' '\n' <"$dir/environ" | grep -qxF "WINEPREFIX=$prefix"; } 2>/dev/null && echo "$pid"
  done
}

# The server ends every Wine process of the prefix, then itself.
WINEPREFIX=$prefix wineserver -k 2>/dev/null || true  # fails when none runs: fine
WINEPREFIX=$prefix wineserver -w 2>/dev/null || true

# Processes take a moment to go once killed.
for _ in 1 2 3 4 5 6 7 8 9 10; do
  left=$(prefix_processes)
  [ -z "$left" ] && exit 0
  sleep 0.2
done
echo "left running in $prefix, now ended:" >&2
ps -o pid=,args= -p "$(echo $left | tr ' ' ',')" >&2
kill $left 2>/dev/null
sleep 1
kill -9 $left 2>/dev/null
exit 1
