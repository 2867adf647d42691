#!/usr/bin/env bash
# Sets up, builds (Release) and starts Rowbit on the bundled sample workbook.
set -euo pipefail
cd "$(dirname "$0")"
./scripts/install-deps.sh run

cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release -DROWBIT_BUILD_TESTS=OFF
cmake --build build-release -j"${JOBS:-2}"

sample="$PWD/samples/sample.xls"
if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" ]]; then
    echo "No display here: Rowbit needs one to show its window. The sample's records:"
    exec ./build-release/src/rowbit-cli list "$sample"
fi
# Rowbit works on a copy of the sample, so saving never changes the one in the repository.
work="$HOME/.local/share/rowbit"
mkdir -p "$work"
[[ -f "$work/sample.xls" ]] || cp "$sample" "$work/sample.xls"
exec ./build-release/src/rowbit "$work/sample.xls"
