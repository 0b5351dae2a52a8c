# Sourced by the build scripts. ensure_packages PKG...: as root, installs the
# Debian packages that are missing; otherwise prints the apt-get line that
# would install them and exits non-zero.
ensure_packages() {
    local missing=()
    local package
    for package in "$@"; do
        if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
            missing+=("$package")
        fi
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    # A package of another architecture (wine32:i386) needs that architecture
    # added before the package lists are read.
    local architectures=()
    for package in "${missing[@]}"; do
        case "$package" in
        *:*) dpkg --print-foreign-architectures | grep -qx "${package#*:}" || architectures+=("${package#*:}") ;;
        esac
    done
    if [ "$(id -u)" -ne 0 ]; then
        echo "Veltrin needs these Debian packages. Install them with:" >&2
        for package in "${architectures[@]}"; do echo "  sudo dpkg --add-architecture $package" >&2; done
        [ ${#architectures[@]} -eq 0 ] || echo "  sudo apt-get update" >&2
        echo "  sudo apt-get install -y ${missing[*]}" >&2
        exit 1
    fi
    echo "Installing ${missing[*]} ..." >&2
    for package in "${architectures[@]}"; do dpkg --add-architecture "$package"; done
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq </dev/null
    apt-get install -y -qq "${missing[@]}" </dev/null
}

VELTRIN_BUILD_PACKAGES=(cmake make g++ qt6-base-dev qt6-serialport-dev)
# What the program needs to look as drawn: Arial's metrics, a Chinese font,
# and Qt's own Chinese for the standard dialogs.
VELTRIN_RUN_PACKAGES=(fonts-liberation2 fonts-wqy-zenhei qt6-translations-l10n)
# What the tests use besides: a private X display with a tray, clicks on it,
# and the checker of the menu entry.
VELTRIN_TEST_PACKAGES=(xvfb trayer xdotool desktop-file-utils)
# The Windows leg: the MinGW-w64 cross compiler, Ninja, Wine to run what it
# builds (on Xvfb and xdotool from the test packages), NSIS for the installer
# (tools/windows/installer-test.sh runs it, with the 32-bit Wine it installs
# itself); what the tests' Wine is rebuilt with from Debian's wine source
# (dpkg-source, autoconf, flex, bison, libunwind as Debian's ntdll.so links
# it), and socat for a pty pair.
VELTRIN_WINDOWS_PACKAGES=(g++-mingw-w64-x86-64-posix ninja-build wine wine64 nsis
    dpkg-dev autoconf flex bison libunwind-dev socat)
# The fuzz targets: clang, its libFuzzer and sanitizer runtimes, and Ninja.
VELTRIN_FUZZ_PACKAGES=(clang libclang-rt-14-dev ninja-build)
