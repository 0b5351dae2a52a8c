#!/usr/bin/env bash
# Runs the NSIS installer that cross-build.sh made in BUILD_DIR, as a user
# would, under Debian's own Wine in a fresh prefix: installs silently, checks
# the program folder, the Start-menu entries and the uninstall entry, starts
# the installed veltrin.exe on a private Xvfb (its window must appear, and it
# must end with exit 0 on WM_CLOSE), then runs the uninstaller and checks that
# nothing of the installation is left: only the files the user made.
#
# NSIS makes 32-bit installers, so this needs Debian's 32-bit Wine (wine32,
# with the i386 architecture), which it installs as root. Where it cannot
# (not root, or the i386 packages cannot be had: their versions must match
# the installed 64-bit ones exactly), it exits 3 with one line saying why and
# what fixes it, which ./test.sh, running it after the Wine checks, prints as
# a SKIP line. Stock Wine: the installer and the window need no serial port.
#
#   tools/windows/installer-test.sh BUILD_DIR
set -euo pipefail
build=$(realpath "${1:?usage: $0 BUILD_DIR}")
installer=$(ls "$build"/veltrin-*-windows-x64.exe 2>/dev/null | head -1) || true
if [ -z "$installer" ]; then
    echo "installer-test.sh: no veltrin-*-windows-x64.exe in $build; make it with tools/windows/cross-build.sh $build (nsis installed)" >&2
    exit 1
fi
if ! dpkg-query -W -f='${Status}' wine32:i386 2>/dev/null | grep -q 'install ok installed'; then
    fix="as root: dpkg --add-architecture i386 && apt-get update && apt-get install wine32:i386"
    if [ "$(id -u)" -ne 0 ]; then
        echo "installer-test.sh: no 32-bit Wine to run the 32-bit installer. Fix, $fix" >&2
        exit 3
    fi
    echo "== Installing Debian's 32-bit Wine (wine32:i386)"
    apt_log=$(mktemp)
    had_i386=$(dpkg --print-foreign-architectures | grep -x i386 || true)
    if ! { dpkg --add-architecture i386 && apt-get update -qq && DEBIAN_FRONTEND=noninteractive \
        apt-get install -y -qq wine32:i386; } </dev/null >"$apt_log" 2>&1; then
        # An architecture whose lists fail would fail every later apt-get update.
        [ -n "$had_i386" ] || dpkg --remove-architecture i386 2>/dev/null || true
        echo "installer-test.sh: Debian's 32-bit Wine (wine32:i386) could not be installed:" \
            "$(grep -E '^E:' "$apt_log" | head -2 | tr '\n' ' ')Fix, once the i386 packages match the installed ones, $fix" >&2
        rm -f "$apt_log"
        exit 3
    fi
    rm -f "$apt_log"
fi

scratch=$(mktemp -d)
cleanup() {
    [ -n "${xvfb_pid:-}" ] && kill "$xvfb_pid" 2>/dev/null || true
    wineserver -k 2>/dev/null || true
    rm -rf "$scratch"
}
trap cleanup EXIT
wine64=/usr/lib/wine/wine64
[ -x "$wine64" ] || wine64=wine
export WINEPREFIX=$scratch/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
status=0
fail() { echo "FAIL: $*"; status=1; }
pass() { echo "PASS: $*"; }
. "$(dirname "$0")/window-check.sh"
# What Wine itself touches on every start (its registry files, logs and
# caches) is not the installation's.
snapshot() {
    (cd "$WINEPREFIX/drive_c" && find . \( -path ./windows -o -path './users/*/Temp' -o -path './users/*/AppData/Local/Temp' \) -prune -o -print | sort)
}
veltrin_keys() { grep -ih '^\[.*\(veltrin\|quillfern\)' "$WINEPREFIX"/system.reg "$WINEPREFIX"/user.reg || true; }

echo "== A fresh prefix"
started=$(date +%s)
wine wineboot -i >/dev/null 2>&1
wineserver -w
snapshot >"$scratch/before.txt"
folder="$WINEPREFIX/drive_c/Program Files/Veltrin"
menu="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Veltrin"

echo "== Installing $(basename "$installer") silently (/S)"
code=0; wine "$installer" /S || code=$?
wineserver -w
missing=
for file in veltrin.exe veltrin-cli.exe Qt6Core.dll Qt6Gui.dll Qt6Widgets.dll Qt6SerialPort.dll \
    libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll platforms/qwindows.dll \
    styles/qwindowsvistastyle.dll translations/qtbase_zh_CN.qm Uninstall.exe; do
    [ -f "$folder/$file" ] || missing="$missing $file"
done
if [ "$code" -eq 0 ] && [ -z "$missing" ]; then
    pass "the installer ended with exit 0 and filled C:\\Program Files\\Veltrin"
else
    fail "the installer ended with exit $code; missing from C:\\Program Files\\Veltrin:${missing:- nothing}"
fi
# A shell link holds its target's path as text.
if [ -f "$menu/Veltrin.lnk" ] && strings "$menu/Veltrin.lnk" | grep -qF 'C:\Program Files\Veltrin\veltrin.exe'; then
    pass "the Start menu has Veltrin, which starts C:\\Program Files\\Veltrin\\veltrin.exe"
else
    fail "no Start-menu entry Veltrin pointing at veltrin.exe: $(ls "$menu" 2>&1 | tr '\n' ' ')"
fi
[ -f "$menu/Uninstall.lnk" ] && pass "the Start menu has Uninstall" || fail "no Uninstall entry in the Start menu"
if grep -q '^"UninstallString"=.*Veltrin\\\\Uninstall.exe' "$WINEPREFIX/system.reg" \
    && grep -q '^"DisplayIcon"=.*Veltrin\\\\veltrin.exe' "$WINEPREFIX/system.reg"; then
    pass "the uninstall entry names Uninstall.exe, and veltrin.exe as its icon"
else
    fail "the uninstall entry is missing, or names no Uninstall.exe or no veltrin.exe icon"
fi

echo "== The installed veltrin.exe on an X display"
start_display "$scratch"
# With wine32 installed, "wine" runs the builtin taskkill as a 32-bit
# program, which does not find a 64-bit process by name.
window_opens_and_closes "the installed veltrin.exe" "$scratch/veltrin.log" "$wine64" wine 'C:\Program Files\Veltrin\veltrin.exe'
wineserver -w

echo "== What the user made, then the uninstaller (/S)"
user=$(id -un)
documents=$WINEPREFIX/drive_c/users/$user/Documents
mkdir -p "$documents"
printf 'D6 D0 CE C4' >"$documents/label.txt"
printf '\x01\x02' >"$folder/recording.bin"
code=0; DISPLAY= wine 'C:\Program Files\Veltrin\Uninstall.exe' /S || code=$?
# The uninstaller copies itself to the temporary folder and runs from there.
wineserver -w
snapshot >"$scratch/after.txt"
left=$(comm -13 "$scratch/before.txt" "$scratch/after.txt" | grep -v -x -e "./users/$user/Documents/label.txt" \
    -e './Program Files/Veltrin/recording.bin' -e './Program Files/Veltrin' || true)
if [ "$code" -eq 0 ] && [ -z "$left" ] && [ -f "$documents/label.txt" ] && [ -f "$folder/recording.bin" ]; then
    pass "the uninstaller left only the user's own files (Documents\\label.txt, and recording.bin in the program folder)"
else
    fail "the uninstaller (exit $code) left: ${left:-nothing else}; the user's files: $(ls "$documents/label.txt" "$folder/recording.bin" 2>&1 | tr '\n' ' ')"
fi
keys=$(veltrin_keys)
[ -z "$keys" ] && pass "no registry key of the installation is left" || fail "registry keys left: $keys"

echo "The installer's whole run took $(($(date +%s) - started)) s"
exit "$status"
