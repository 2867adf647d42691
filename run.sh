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
# Rowbit keeps its preferences (Rowbit.INI) in the folder it starts in.
mkdir -p "$HOME/.local/share/rowbit"
cd "$HOME/.local/share/rowbit"
exec "$OLDPWD/build-release/src/rowbit" "$sample"
