#!/usr/bin/env bash
# Runs a Qt Test built for Windows under the tests' Wine (wine.sh), for ctest
# (CMAKE_CROSSCOMPILING_EMULATOR), and prints its log. Under Wine, Qt Test's
# own output reaches a Windows console only, and a pipe from ctest is none,
# so the log goes through a file.
#
#   wine-qtest.sh TEST.exe [ARGUMENTS...]
set -uo pipefail
log=$(mktemp)
here=$(cd "$(dirname "$0")" && pwd)
"$here/wine.sh" "$@" -o "Z:${log//\//\\}",txt
status=$?
cat "$log"
rm -f "$log"
exit "$status"
