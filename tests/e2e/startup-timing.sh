#!/usr/bin/env bash
# Start-up of netvosk.exe under Wine, launch to input idle and launch to first paint, median
# of 31 runs with a warm wineserver, beside a bare window with 20 plain child controls
# measured in the same run (the two take turns run by run; see startup_timer.cpp).
#   tests/e2e/startup-timing.sh [build tree, default build/win32] [runs, default 31]
# The tree must hold netvosk.exe, bare20.exe and startup_timer.exe (build them first).
set -euo pipefail
here=$(cd "$(dirname "$0")/../.." && pwd)
tree=$(cd "${1:-$here/build/win32}" && pwd)
runs=${2:-31}
. "$here/scripts/xvfb-lib.sh"
nv_start_xvfb
trap nv_stop_xvfb EXIT
export WINEPREFIX=${WINEPREFIX:-$here/build/wineprefix}
winpath() { echo "Z:${1//\//\\}"; }
# A persistent wineserver stays warm between the launches.
. "$here/scripts/wine-lib.sh"
nv_start_warm_wineserver 600
bash "$here/scripts/wine-run" "$tree/tests/e2e/startup_timer.exe" "$runs" \
  "$(winpath "$tree/src/app/netvosk.exe")" TForm1 "Netvosk2.1--" \
  "$(winpath "$tree/tools/bare20/bare20.exe")" TBare20 Bare20 | iconv -f GBK -t UTF-8
