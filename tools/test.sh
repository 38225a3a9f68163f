#!/usr/bin/env bash
# Builds Talvena twice (plain, and with address and undefined sanitizers) and
# runs every test in both builds, as the user who called sudo when run
# through sudo (the Debian package test then skips: it needs root).
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/setup.sh build
bash tools/setup.sh build-san -DTALVENA_SANITIZE=ON
source tools/users.sh
export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
status=0
(cd build && as_builder ctest --output-on-failure -j2) || status=1
(cd build-san && as_builder ctest --output-on-failure -j2) || status=1
exit $status
