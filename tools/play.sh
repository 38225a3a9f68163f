#!/usr/bin/env bash
# Builds Talvena and starts it in build/, where Data/ and Hudba/ are
# generated; as the user who called sudo, when run through sudo.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/setup.sh build
source tools/users.sh
cd build
as_builder ./talvena
