#!/usr/bin/env bash
# Cross-builds Veltrin for Windows x86-64 with MinGW-w64 and Qt 6.4.2 built
# for MinGW: veltrin.exe, veltrin-cli.exe and the tests that need no
# pseudo-terminal. BUILD_DIR becomes the program folder, runnable as it is
# (the DLLs, plugins and Qt's Chinese beside the programs), and receives
# veltrin-<version>-windows-x64.zip, and the installer
# veltrin-<version>-windows-x64.exe where NSIS is installed.
#
# The Qt, the first found of:
# 1. VELTRIN_QT_MINGW: a Qt prefix, or a tarball of one (qt6-mingw-6.4.2/ at
#    its top), unpacked into BUILD_DIR;
# 2. the one build-qt-mingw.sh left in ${XDG_CACHE_HOME:-~/.cache}/veltrin/;
# 3. a fresh build-qt-mingw.sh, which needs qtserialport's source (see
#    there); without it, exit 3 with its one line saying why.
#
#   tools/windows/cross-build.sh BUILD_DIR
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
build=$(realpath -m "${1:?usage: $0 BUILD_DIR}")
. "$here/debian-source.sh"

unpacked_qt() {
    local tarball=$1 qt=$build/qt6-mingw-6.4.2
    # Unpacked once; a build that finds it complete reuses it.
    if [ "$(cat "$qt/.unpacked" 2>/dev/null)" != "$tarball" ]; then
        rm -rf "$qt"
        mkdir -p "$build"
        tar -xJf "$tarball" -C "$build"
        echo "$tarball" >"$qt/.unpacked"
    fi
    echo "$qt"
}

if [ -n "${VELTRIN_QT_MINGW:-}" ] && [ -d "$VELTRIN_QT_MINGW" ]; then
    qt=$(realpath "$VELTRIN_QT_MINGW")
elif [ -n "${VELTRIN_QT_MINGW:-}" ]; then
    qt=$(unpacked_qt "$(realpath "$VELTRIN_QT_MINGW")")
else
    qt=$veltrin_cache/qt6-mingw-6.4.2
    [ -f "$qt/.complete" ] || "$here/build-qt-mingw.sh"
fi
build_log "Qt for MinGW: $qt"

# Release, as users get it. The emulator runs the tests under Wine for ctest.
cmake -G Ninja -S "$root" -B "$build" \
    -DCMAKE_TOOLCHAIN_FILE="$here/toolchain-mingw.cmake" \
    -DQT_MINGW_PREFIX="$qt" \
    -DCMAKE_BUILD_TYPE=Release \
    -DVELTRIN_BENCH=OFF \
    -DCMAKE_CROSSCOMPILING_EMULATOR="$here/wine-qtest.sh" >/dev/null
cmake --build "$build" -j"${VELTRIN_JOBS:-$(nproc)}"

generators=ZIP
if command -v makensis >/dev/null; then
    generators="ZIP;NSIS"
fi
(cd "$build" && cpack -G "$generators" -C Release >/dev/null)
ls -l "$build"/veltrin-*-windows-x64.*
