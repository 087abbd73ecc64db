#!/usr/bin/env bash
# Test environment for one build folder: private CUPS server, Wine prefix and
# one wineserver kept alive for the whole run.
#   scripts/wine-env.sh start BUILD_DIR
#   scripts/wine-env.sh stop BUILD_DIR
# CUPS comes up first: Wine reads the CUPS queues when winspool first loads,
# and drops them from its registry when cupsd cannot be reached then.
set -euo pipefail
here=$(dirname "$(realpath "$0")")
cmd=${1:?start|stop}
build=$(realpath -m "${2:?build dir}")
export WINEPREFIX=$build/wineprefix
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export CUPS_SERVER=$build/cups/cups.sock
export TZ=UTC LANG=C.UTF-8
WINESERVER=$(command -v wineserver || echo /usr/lib/wine/wineserver)

case $cmd in
start)
    "$here/cups.sh" start "$build" >/dev/null
    mkdir -p "$WINEPREFIX"
    # A server of this prefix that is still running (from an earlier run) is
    # stopped, so that the one started here is the persistent one.
    "$WINESERVER" -k 2>/dev/null || true
    "$WINESERVER" -w 2>/dev/null || true
    "$WINESERVER" -p </dev/null >/dev/null 2>&1
    # wineboot creates a new prefix, and in an existing one starts Wine's own
    # services here, with their output sent nowhere: started later by a test
    # program, they would inherit CTest's output pipe and hold the run open.
    if [ ! -d "$WINEPREFIX/drive_c/windows/system32" ]; then
        wineboot --init </dev/null >/dev/null 2>&1
    else
        wineboot </dev/null >/dev/null 2>&1
    fi
    ;;
stop)
    "$WINESERVER" -k 2>/dev/null || true
    "$here/cups.sh" stop "$build"
    ;;
*) echo "usage: $0 start|stop BUILD_DIR" >&2; exit 2 ;;
esac
