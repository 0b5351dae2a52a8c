#!/usr/bin/env bash
# Builds Veltrin and starts it. Unless VELTRIN_COM3 already names a device,
# the host-module simulator is started on a pseudo-terminal and COM3 points at
# it, so the program has a module to talk to without any hardware.
set -euo pipefail
cd "$(dirname "$0")"
. tools/ensure-packages.sh
ensure_packages "${VELTRIN_BUILD_PACKAGES[@]}" "${VELTRIN_RUN_PACKAGES[@]}"

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=OFF >/dev/null
cmake --build build -j"$(nproc)"

simulator_pid=
if [ -z "${VELTRIN_COM3:-}" ]; then
    runtime_dir=${XDG_RUNTIME_DIR:-/tmp}
    link="$runtime_dir/veltrin-com3"
    mkdir -p "$runtime_dir/veltrin-printers"
    build/tools/hostsim/veltrin-hostsim --link "$link" --out "$runtime_dir/veltrin-printers" &
    simulator_pid=$!
    trap '[ -n "$simulator_pid" ] && kill "$simulator_pid" 2>/dev/null' EXIT
    for _ in $(seq 50); do [ -e "$link" ] && break; sleep 0.1; done
    export VELTRIN_COM3="$link"
    echo "COM3 -> $link (simulated host module; printer data in $runtime_dir/veltrin-printers)"
fi
build/src/veltrin "$@"
