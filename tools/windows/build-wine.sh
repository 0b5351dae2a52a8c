#!/usr/bin/env bash
# Builds the Wine the Windows tests run under: Debian's Wine 8.0 with its
# ntdll.so rebuilt from Debian's own wine source plus
# wine-8.0-serial-wait.patch, in a private tree in the cache:
# ${XDG_CACHE_HOME:-~/.cache}/veltrin/wine-VERSION-PATCHHASH/. Everything but
# ntdll.so is the installed Wine's, linked to.
#
# Why: Qt's QSerialPort waits for received bytes with WaitCommEvent on an
# OVERLAPPED whose completion it takes from an I/O completion port, without
# an event. Wine 8.0 blocks such a wait inside the call until it ends, and
# never posts it to the port, so nothing is ever read. The patch completes
# the wait through the port, as Windows (and later Wine) do.
#
# Prints the tree's loader (lib/wine/wine64) on its last line. Exit 3, with
# one line on stderr saying why and what fixes it, when wine's source cannot
# be had.
#
#   tools/windows/build-wine.sh
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/debian-source.sh"

patch=$here/wine-8.0-serial-wait.patch
installed=$(dpkg-query -W -f='${Version}' wine64)
tree=$veltrin_cache/wine-$installed-$(sha256sum "$patch" | cut -c1-12)
loader=$tree/lib/wine/wine64
system_dlls=/usr/lib/x86_64-linux-gnu/wine
started=$(date +%s)

if [ -f "$tree/.complete" ]; then
    echo "$loader"
    exit 0
fi
mkdir -p "$veltrin_cache"
exec 9>"$veltrin_cache/wine.lock"
flock 9
if [ -f "$tree/.complete" ]; then
    echo "$loader"
    exit 0
fi

work=$(mktemp -d "$veltrin_cache/wine-build.XXXXXX")
trap 'rm -rf "$work"' EXIT
# Stopped, it leaves no half-built tree behind either.
trap 'exit 143' TERM INT
sources=$veltrin_cache/sources/wine-$installed
if ! ls "$sources"/*.dsc >/dev/null 2>&1; then
    build_log "fetching wine $installed's source" >&2
    if ! fetch_debian_source "wine=$installed" "$sources"; then
        rm -rf "$sources"
        echo "build-wine.sh: cannot build the tests' Wine: Debian's wine $installed source could not be downloaded" \
            "(apt-get source wine=$installed). Fix: let apt-get reach deb.debian.org, or VELTRIN_WINDOWS=off to leave the Windows leg out" >&2
        exit 3
    fi
fi
build_log "unpacking wine's source, with Debian's patches and the serial wait's" >&2
mkdir -p "$work/source"
dpkg-source -x -q --no-copy "$(ls "$sources"/*.dsc)" "$work/source/wine" >"$work/unpack.log" 2>&1 ||
    { cat "$work/unpack.log" >&2; exit 1; }
patch -s -d "$work/source/wine" -p1 <"$patch"

# Debian's repacked source leaves out the files its build generates. Of
# them, ntdll.so needs only the server protocol's; the others (Unicode and
# Khronos tables, icons) are only named by the makefiles of other DLLs, and
# stand there empty so that the makefile can be written at all.
build_log "configuring wine (a log in $work/configure.log)" >&2
(
    cd "$work/source/wine"
    debian/scripts/generate server/trace.generated make_requests
    debian/scripts/generate server/request.generated make_requests
    tools/make_requests
    ln -sf /usr/share/misc/config.sub /usr/share/misc/config.guess tools/
    sed -n '/# image files/,/^ifneq/s/^\t\(ln -sf .*\)/\1/p' debian/rules | sh
    for makefile in $(find dlls programs nls fonts -name Makefile.in); do
        folder=$(dirname "$makefile")
        for name in $(awk '/^[A-Z_]*(SRCS|SOURCES) *=/ { on = 1 } on { line = $0; sub(/^[A-Z_]* *=/, "", line); sub(/\\$/, "", line); print line; if ($0 !~ /\\$/) on = 0 }' "$makefile"); do
            [ -e "$folder/$name" ] || { mkdir -p "$(dirname "$folder/$name")"; touch "$folder/$name"; }
        done
    done
    for header in vulkan.h vulkan_driver.h wgl.h wgl_driver.h; do
        [ -e include/wine/$header ] || touch include/wine/$header
    done
    autoreconf -f
    # Debian's folders, which ntdll.so finds the others by, relative to the
    # loader's.
    nice -n 10 ./configure --enable-win64 --without-x --without-freetype \
        --without-mingw --without-gnutls --without-oss --without-sane --without-netapi \
        --bindir=/usr/lib/wine --libdir=/usr/lib/x86_64-linux-gnu/wine --datarootdir=/usr/share/wine
) >"$work/configure.log" 2>&1 || { tail -20 "$work/configure.log" >&2; exit 1; }
build_log "building ntdll.so" >&2
nice -n 10 make -C "$work/source/wine" -j"${VELTRIN_JOBS:-$(nproc)}" dlls/ntdll/ntdll.so \
    >"$work/make.log" 2>&1 || { tail -20 "$work/make.log" >&2; exit 1; }

# The loader finds ntdll.so relative to its own path, and ntdll.so the DLLs
# and the data (share/wine) relative to its own: a real copy of each, links
# for the rest.
rm -rf "$tree"
mkdir -p "$tree/lib/wine" "$tree/lib/x86_64-linux-gnu" "$tree/share"
cp /usr/lib/wine/wine64 "$loader"
ln -s /usr/share/wine "$tree/share/wine"
cp -rs "$system_dlls" "$tree/lib/x86_64-linux-gnu/wine"
rm "$tree/lib/x86_64-linux-gnu/wine/x86_64-unix/ntdll.so"
cp "$work/source/wine/dlls/ntdll/ntdll.so" "$tree/lib/x86_64-linux-gnu/wine/x86_64-unix/ntdll.so"
touch "$tree/.complete"
build_log "the tests' Wine built into $tree in $(elapsed "$started")" >&2
echo "$loader"
