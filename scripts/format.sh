#!/usr/bin/env bash
# Rewrites every C++ file of the project in the house style.
cd "$(dirname "$0")/.." || exit 1
find src tests bench fuzz \( -name '*.cpp' -o -name '*.h' \) -print0 | xargs -0 -r clang-format -i
