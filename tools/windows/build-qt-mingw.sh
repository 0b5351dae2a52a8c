#!/usr/bin/env bash
# Builds Qt 6.4.2 for Windows x86-64 with Debian's MinGW-w64 GCC 12 (posix
# threads): qtbase and qtserialport as DLLs, the platform plugins qwindows,
# qoffscreen, qminimal and qdirect2d, the Vista style and the gif/ico/jpeg
# image formats, with ICU off as on a stock Windows Qt. It installs into the
# cache, ${XDG_CACHE_HOME:-~/.cache}/veltrin/qt6-mingw-6.4.2, which
# cross-build.sh then uses; a prefix there that is complete is kept.
#
# Sources, all checked before anything is built:
# - qtbase: Debian's qt6-base 6.4.2 source (apt-get source; a deb-src entry
#   for bookworm is added where none is configured);
# - qtserialport 6.4.2: the tarball VELTRIN_QTSERIALPORT_TARBALL names
#   (qtserialport-everywhere-src-6.4.2.tar.xz, its sha256 checked), else
#   Debian's qt6-serialport source, else Qt's repository at tag v6.4.2;
# - src/3rdparty/wintab, which Debian's qtbase leaves out: Wine's LGPL
#   wintab.h and pktdef.h from Debian's libwine-dev (downloaded, not installed).
#
# Exit 3, with one line on stderr saying why and what fixes it, when a source
# cannot be had; exit 1 when the tarball named is missing or not that
# source, or the build fails.
#
#   tools/windows/build-qt-mingw.sh
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/debian-source.sh"

version=6.4.2
serialport_sha256=682626d3ae07074df0f707dab880f1eab1c133a04d5bed688a3ec63af305ae89
prefix=$veltrin_cache/qt6-mingw-$version
sources=$veltrin_cache/sources
jobs=${VELTRIN_JOBS:-$(nproc)}
started=$(date +%s)

no_source() {
    echo "build-qt-mingw.sh: cannot build Qt $version for MinGW: $1." \
        "Fix: VELTRIN_QTSERIALPORT_TARBALL=/path/to/qtserialport-everywhere-src-$version.tar.xz ./test.sh" \
        "(or VELTRIN_QT_MINGW=/path/to/a/Qt/for/MinGW)" >&2
    exit 3
}

qtbase_tarball() {
    local tarball
    tarball=$(ls "$sources"/qt6-base_$version+dfsg.orig.tar.xz 2>/dev/null) && { echo "$tarball"; return 0; }
    fetch_debian_source qt6-base "$sources" || return 1
    ls "$sources"/qt6-base_$version+dfsg.orig.tar.xz
}

# Unpacks qtserialport's source into $1 from the first place that has it.
unpack_serialport() {
    local folder=$1 tarball=${VELTRIN_QTSERIALPORT_TARBALL:-}
    mkdir -p "$folder"
    if [ -n "$tarball" ]; then
        # A source named but wrong is a mistake to fix, not a source missing.
        [ -f "$tarball" ] || { echo "build-qt-mingw.sh: VELTRIN_QTSERIALPORT_TARBALL names $tarball, which does not exist" >&2; exit 1; }
        if ! echo "$serialport_sha256  $tarball" | sha256sum -c --status; then
            echo "build-qt-mingw.sh: $tarball is not qtserialport $version: its sha256 is not $serialport_sha256" >&2
            exit 1
        fi
        tar -xJf "$tarball" -C "$folder" --strip-components=1
        return 0
    fi
    if fetch_debian_source qt6-serialport "$sources/serialport-debian"; then
        tar -xJf "$(ls "$sources"/serialport-debian/qt6-serialport_$version*.orig.tar.xz)" -C "$folder" --strip-components=1
        return 0
    fi
    if timeout 120 git clone -q --depth 1 --branch v$version https://code.qt.io/qt/qtserialport.git "$folder.git" 2>/dev/null; then
        git -C "$folder.git" archive HEAD | tar -x -C "$folder"
        return 0
    fi
    return 1
}

# Debian's dfsg tarball drops Wacom's wintab headers, which the windows
# platform plugin includes; Wine's LGPL ones stand in, with the two A/W
# helper macros only Wine defines.
provide_wintab() {
    local qtbase=$1 scratch=$2 headers
    (cd "$scratch" && apt-get download -qq libwine-dev </dev/null >/dev/null 2>&1) || return 1
    dpkg-deb -x "$scratch"/libwine-dev_*.deb "$scratch/libwine-dev"
    headers=$scratch/libwine-dev/usr/include/wine/wine/windows
    mkdir -p "$qtbase/src/3rdparty/wintab"
    cp "$headers/wintab.h" "$qtbase/src/3rdparty/wintab/wine_wintab.h"
    cp "$headers/pktdef.h" "$qtbase/src/3rdparty/wintab/pktdef.h"
    cp "$here/wintab-wrapper.h" "$qtbase/src/3rdparty/wintab/wintab.h"
}

# Ninja's [done/total] lines, shown at every tenth of the way.
progress() {
    local what=$1
    awk -v what="$what" -v start="$(date +%s)" '
        match($0, /^\[[0-9]+\/[0-9]+\]/) {
            split(substr($0, 2, RLENGTH - 2), n, "/")
            tenth = int(10 * n[1] / n[2])
            if (tenth > shown) {
                shown = tenth
                printf "[%s] %s: %d%% (%d of %d steps)\n", strftime("%H:%M:%S"), what, 10 * tenth, n[1], n[2]
                fflush()
            }
            next
        }
        /error|Error|FAILED/ { print; fflush() }'
}

build_step() {
    local what=$1 build=$2
    nice -n 10 cmake --build "$build" --parallel "$jobs" 2>&1 | tee "$build/build.log" | progress "$what"
    [ "${PIPESTATUS[0]}" -eq 0 ] || { echo "build-qt-mingw.sh: $what failed, see $build/build.log" >&2; exit 1; }
    cmake --install "$build" >"$build/install.log"
}

if [ -f "$prefix/.complete" ]; then
    build_log "Qt $version for MinGW is already in $prefix"
    exit 0
fi
mkdir -p "$veltrin_cache"
exec 9>"$veltrin_cache/qt6-mingw.lock"
flock 9
[ -f "$prefix/.complete" ] && exit 0

work=$(mktemp -d "$veltrin_cache/qt-build.XXXXXX")
trap 'rm -rf "$work"' EXIT
# Stopped, it leaves no half-built tree behind either.
trap 'exit 143' TERM INT
build_log "fetching the sources"
unpack_serialport "$work/qtserialport" ||
    no_source "no qtserialport $version source: VELTRIN_QTSERIALPORT_TARBALL is not set, Debian does not serve qt6-serialport's source, and code.qt.io is out of reach"
qtbase=$(qtbase_tarball) || no_source "Debian's qt6-base source could not be downloaded (apt-get source qt6-base)"
tar -xJf "$qtbase" -C "$work"
mv "$work"/qtbase-everywhere-src-$version "$work/qtbase"
provide_wintab "$work/qtbase" "$work" || no_source "Debian's libwine-dev (for the wintab headers) could not be downloaded"

rm -rf "$prefix"
toolchain=$here/toolchain-mingw.cmake
# -DINPUT_opengl=no is what "configure -no-opengl" passes: FEATURE_opengl=OFF
# alone leaves dynamicgl on, and the windows plugin then fails to compile.
# direct2d stays on: Qt 6.4.2 compiles its DirectWrite font database only
# with it, and qwindows.dll needs that database.
build_log "configuring qtbase (a log in $work/qtbase.configure.log)"
nice -n 10 cmake -G Ninja -S "$work/qtbase" -B "$work/build-qtbase" \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DQT_MINGW_PREFIX="$prefix" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" -DBUILD_SHARED_LIBS=ON \
    -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF \
    -DQT_BUILD_MANUAL_TESTS=OFF -DQT_BUILD_MINIMAL_STATIC_TESTS=OFF \
    -DFEATURE_sql=OFF -DFEATURE_network=OFF -DFEATURE_xml=OFF -DFEATURE_dbus=OFF \
    -DFEATURE_printsupport=OFF -DFEATURE_concurrent=OFF \
    -DINPUT_opengl=no -DFEATURE_opengl=OFF -DFEATURE_opengl_dynamic=OFF -DFEATURE_dynamicgl=OFF \
    -DFEATURE_vulkan=OFF -DFEATURE_icu=OFF -DFEATURE_pkg_config=OFF \
    -DFEATURE_system_zlib=OFF -DFEATURE_system_pcre2=OFF -DFEATURE_system_doubleconversion=OFF \
    -DFEATURE_system_png=OFF -DFEATURE_system_jpeg=OFF -DFEATURE_system_freetype=OFF \
    -DFEATURE_system_harfbuzz=OFF -DFEATURE_system_textmarkdownreader=OFF \
    >"$work/qtbase.configure.log" 2>&1 ||
    { tail -30 "$work/qtbase.configure.log" >&2; exit 1; }
build_log "building qtbase"
build_step qtbase "$work/build-qtbase"

build_log "configuring qtserialport"
nice -n 10 "$prefix/bin/qt-cmake" -G Ninja -S "$work/qtserialport" -B "$work/build-qtserialport" \
    -DCMAKE_BUILD_TYPE=Release \
    -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF \
    >"$work/qtserialport.configure.log" 2>&1 ||
    { tail -30 "$work/qtserialport.configure.log" >&2; exit 1; }
build_log "building qtserialport"
build_step qtserialport "$work/build-qtserialport"

# The MinGW runtime beside Qt's DLLs: a program finds all it needs in bin/.
cp /usr/lib/gcc/x86_64-w64-mingw32/12-posix/libstdc++-6.dll \
    /usr/lib/gcc/x86_64-w64-mingw32/12-posix/libgcc_s_seh-1.dll \
    /usr/x86_64-w64-mingw32/lib/libwinpthread-1.dll "$prefix/bin/"
touch "$prefix/.complete"
build_log "Qt $version for MinGW built into $prefix in $(elapsed "$started")"
