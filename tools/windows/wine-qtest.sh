#!/usr/bin/env bash
# Runs a Qt Test built for Windows under Wine, for ctest
# (CMAKE_CROSSCOMPILING_EMULATOR), and prints its log. Under Wine, Qt Test's
# own output reaches a Windows console only, and a pipe from ctest is none,
# so the log goes through a file.
#
#   wine-qtest.sh TEST.exe [ARGUMENTS...]
set -uo pipefail
log=$(mktemp)
wine "$@" -o "$(winepath -w "$log")",txt
status=$?
cat "$log"
rm -f "$log"
exit "$status"
