# Sourced by the scripts that build the Windows leg's tools from source.
#   veltrin_cache: where built toolchains and downloaded sources are kept,
#     outside any work tree, and reused by every clone.
#   fetch_debian_source PACKAGE FOLDER: downloads PACKAGE's Debian source
#     (apt-get source --download-only) into FOLDER, adding a deb-src entry
#     for bookworm first where none is configured. Returns non-zero, quietly,
#     when the registry does not serve it.
#   build_log / elapsed: timestamped progress lines and a duration in words.
veltrin_cache=${XDG_CACHE_HOME:-$HOME/.cache}/veltrin

build_log() { echo "[$(date '+%H:%M:%S')] $*"; }

elapsed() {
    local seconds=$(($(date +%s) - $1))
    echo "$((seconds / 60)) min $((seconds % 60)) s"
}

ensure_deb_src() {
    if grep -Eqs '^(deb-src|Types:.*deb-src)' /etc/apt/sources.list /etc/apt/sources.list.d/*; then
        return 0
    fi
    [ "$(id -u)" -eq 0 ] || return 1
    cat >/etc/apt/sources.list.d/veltrin-bookworm-src.sources <<'SOURCES'
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm bookworm-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SOURCES
    apt-get update -qq </dev/null >/dev/null 2>&1
}

fetch_debian_source() {
    local package=$1 folder=$2
    ensure_deb_src || return 1
    mkdir -p "$folder"
    (cd "$folder" && apt-get source --download-only -qq "$package" </dev/null >/dev/null 2>&1)
}
