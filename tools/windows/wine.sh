#!/usr/bin/env bash
# Runs a Windows program under the Wine the Windows tests use: Debian's Wine
# 8.0 with the serial wait that completes through an I/O completion port
# (build-wine.sh, built into the cache once), and wine-modem-lines.so, which
# gives a pseudo-terminal modem lines. Reproduce a test's failure by hand
# with it.
#
#   VELTRIN_WINE_COM3=/dev/pts/N tools/windows/wine.sh veltrin-cli.exe --port COM3 status 3
#
# - WINEPREFIX: the prefix; without it, one kept in the cache
#   (${XDG_CACHE_HOME:-~/.cache}/veltrin/wine-prefix), made on first use;
# - VELTRIN_WINE_COM3: the serial device (a pty) that COM3 is, listed as a
#   port too; VELTRIN_WINE_COM1 to VELTRIN_WINE_COM9 likewise;
# - VELTRIN_WINE_MODEM_LINES: a file naming the modem input lines that are on
#   ("CTS DSR DCD"), read at every query; see wine-modem-lines.c.
#
# Exit 3, with one line on stderr saying why, when the Wine cannot be built.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/debian-source.sh"
[ $# -ge 1 ] || { echo "usage: $0 PROGRAM.exe [ARGUMENTS...]" >&2; exit 2; }

loader=$("$here/build-wine.sh" | tail -1)
preload=$veltrin_cache/wine-modem-lines-$(sha256sum "$here/wine-modem-lines.c" | cut -c1-12).so
if [ ! -f "$preload" ]; then
    mkdir -p "$veltrin_cache"
    gcc -O2 -Wall -shared -fPIC -o "$preload.tmp" "$here/wine-modem-lines.c" -ldl
    mv "$preload.tmp" "$preload"
fi

export WINELOADER=$loader
export WINEPREFIX=${WINEPREFIX:-$veltrin_cache/wine-prefix}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
export LD_PRELOAD=$preload${LD_PRELOAD:+:$LD_PRELOAD}
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    "$loader" wineboot -i >/dev/null 2>&1
fi

# Wine's mount manager reads the ports when the prefix's server starts: a
# port that changes stops that server, and the programs still running in it.
ports_changed=
for number in 1 2 3 4 5 6 7 8 9; do
    variable=VELTRIN_WINE_COM$number
    device=${!variable:-}
    [ -n "$device" ] || continue
    [ "$(readlink "$WINEPREFIX/dosdevices/com$number" 2>/dev/null)" = "$device" ] && continue
    ln -sfn "$device" "$WINEPREFIX/dosdevices/com$number"
    "$loader" reg add 'HKLM\Software\Wine\Ports' /v COM$number /d "$device" /f >/dev/null 2>&1
    ports_changed=yes
done
if [ -n "$ports_changed" ]; then
    wineserver -k 2>/dev/null || true
fi
exec "$loader" "$@"
