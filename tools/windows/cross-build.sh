#!/usr/bin/env bash
# Cross-builds Veltrin for Windows x86-64 with MinGW-w64 and the Qt in
# ../shared/windows (beside the repository): veltrin.exe, veltrin-cli.exe and
# the tests that need no pseudo-terminal. BUILD_DIR becomes the program
# folder, runnable as it is (the DLLs, plugins and Qt's Chinese beside the
# programs), and receives veltrin-<version>-windows-x64.zip, and the
# installer veltrin-<version>-windows-x64.exe where NSIS is installed.
#
#   tools/windows/cross-build.sh BUILD_DIR
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(realpath -m "${1:?usage: $0 BUILD_DIR}")
shared=$(realpath -m "${VELTRIN_WINDOWS_SHARED:-$root/../shared/windows}")
qt=$build/qt6-mingw-6.4.2

# Unpacked once; a build that finds it complete reuses it.
if [ ! -f "$qt/.unpacked" ]; then
    rm -rf "$qt"
    mkdir -p "$build"
    tar -xJf "$shared/qt6-mingw-6.4.2.tar.xz" -C "$build"
    touch "$qt/.unpacked"
fi

# Release, as users get it. The emulator runs the tests under Wine for ctest.
cmake -G Ninja -S "$root" -B "$build" \
    -DCMAKE_TOOLCHAIN_FILE="$shared/toolchain-mingw.cmake" \
    -DQT_MINGW_PREFIX="$qt" \
    -DCMAKE_BUILD_TYPE=Release \
    -DVELTRIN_BENCH=OFF \
    -DCMAKE_CROSSCOMPILING_EMULATOR="$root/tools/windows/wine-qtest.sh" >/dev/null
cmake --build "$build" -j"${VELTRIN_JOBS:-$(nproc)}"

generators=ZIP
if command -v makensis >/dev/null; then
    generators="ZIP;NSIS"
fi
(cd "$build" && cpack -G "$generators" -C Release >/dev/null)
ls -l "$build"/veltrin-*-windows-x64.*
