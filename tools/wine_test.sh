#!/usr/bin/env bash
# Builds Talvena for Windows (tools/windows.sh) and runs the Windows build's
# tests under Wine: tests/windows/wine_e2e.cpp, built in the native build
# folder, which also gives the Linux talvena-cli they compare with.
# Usage: tools/wine_test.sh [WINDOWS_BUILD [NATIVE_BUILD]]   (build-windows, build)
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/users.sh
windows=${1:-build-windows}
native=${2:-build}
bash tools/windows.sh "$windows" "$native"
as_builder cmake -S . -B "$native" -DTALVENA_WINDOWS_BUILD="$PWD/$windows" >/dev/null
as_builder cmake --build "$native" -j"$(nproc)" --target wine_e2e_tests
cd "$native"
as_builder ctest --output-on-failure --no-tests=error -L wine
