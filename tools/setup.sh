#!/usr/bin/env bash
# Installs what Talvena needs on Debian 12 (as root), then configures and
# builds it. Usage: tools/setup.sh [BUILD_DIR [extra cmake arguments...]]
set -euo pipefail
cd "$(dirname "$0")/.."

PACKAGES=(
  build-essential cmake pkg-config
  liballegro4-dev libmpg123-dev libfreetype-dev fonts-dejavu-core
  libgtest-dev libbenchmark-dev libx11-dev
  xvfb xdotool imagemagick x11-utils lame sox
  clang libclang-rt-14-dev
)

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update
  apt-get install -y --no-install-recommends "${missing[@]}"
fi

build=${1:-build}
shift || true
cmake -S . -B "$build" "$@"
cmake --build "$build" -j"$(nproc)"
