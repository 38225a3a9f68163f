#!/usr/bin/env bash
# Builds Talvena and starts it in build/, where Data/ and Hudba/ are generated.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/setup.sh build
cd build
exec ./talvena
