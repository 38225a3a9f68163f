#!/usr/bin/env bash
# Installs what Talvena needs on Debian 12, then configures and builds it.
# Usage: tools/setup.sh [BUILD_DIR [extra cmake arguments...]]
# Packages are installed as root (through sudo for a normal user); the build
# runs as the user (see tools/users.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/users.sh

# Every program the build and the tests call comes from this list or from
# the packages every Debian system has (Essential, or Priority required:
# coreutils, bash, grep, sed, gzip, util-linux's setpriv, apt, dpkg).
PACKAGES=(
  build-essential cmake pkg-config
  liballegro4-dev libmpg123-dev libfreetype-dev fonts-dejavu-core
  libgtest-dev libbenchmark-dev libx11-dev
  xvfb xdotool imagemagick x11-utils lame sox strace procps
  zlib1g-dev dpkg-dev file lintian desktop-file-utils appstream man-db groff-base
  clang libclang-rt-14-dev
)

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  as_root env DEBIAN_FRONTEND=noninteractive apt-get update
  as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"
fi

build=${1:-build}
shift || true
reclaim_for_builder "$build"
as_builder cmake -S . -B "$build" -DTALVENA_WERROR=ON "$@"
as_builder cmake --build "$build" -j"$(nproc)"
