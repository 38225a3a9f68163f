#!/usr/bin/env bash
# The Debian package on the real system (root only): built with CPack from
# the build folder, installed with apt-get, used from the PATH, then removed
# with apt-get, after which no file it installed may be left. The package is
# removed however the test ends.
# Usage: deb_test.sh BUILD_DIR     exit 77: skipped
set -euo pipefail
build=$(readlink -f "$1")

if [ "$(id -u)" -ne 0 ]; then
    echo "SKIP: installing the .deb needs root (run the tests as root to include it)"
    exit 77
fi
if dpkg-query -W -f='${Status}' talvena 2>/dev/null | grep -q "installed"; then
    echo "SKIP: a talvena package is installed already; not replacing it"
    exit 77
fi

tmp=$(mktemp -d /tmp/talvena-deb-XXXXXX)
chmod 755 "$tmp"  # apt reads the .deb as its own user
apt_options=(-y -q -o DPkg::Lock::Timeout=600)
export DEBIAN_FRONTEND=noninteractive
installed=0
cleanup() {
    if [ "$installed" -eq 1 ] && dpkg-query -W talvena >/dev/null 2>&1; then
        apt-get remove "${apt_options[@]}" talvena >/dev/null 2>&1 || dpkg --purge talvena >/dev/null 2>&1 || true
    fi
    rm -rf "$tmp"
}
trap cleanup EXIT
trap 'exit 1' INT TERM

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

cpack -G DEB --config "$build/CPackConfig.cmake" -B "$tmp/out" >"$tmp/cpack.log" 2>&1 || fail "cpack: $(cat "$tmp/cpack.log")"
debs=("$tmp"/out/talvena_*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || fail "cpack made no talvena_*.deb"
deb=${debs[0]}
chmod 644 "$deb"

# Debian's own checker (status 1: errors found, 2: it could not check);
# its warnings are shown, its errors fail the test.
status=0
lintian --tag-display-limit 0 "$deb" >"$tmp/lintian.log" 2>&1 || status=$?
grep -v '^running with root privileges' "$tmp/lintian.log" || true
[ "$status" -eq 0 ] && ! grep -q '^E: ' "$tmp/lintian.log" || fail "lintian: status $status"

field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = talvena ] || fail "package name $(field Package)"
[ "$(field Section)" = games ] || fail "section $(field Section)"
[ "$(field Maintainer)" = "Talvena team <talvena@example.org>" ] || fail "maintainer $(field Maintainer)"
# Every library the two programs link directly must come from a declared package.
libs=()
for program in "$build/talvena" "$build/talvena-cli"; do
    for soname in $(objdump -p "$program" | awk '$1 == "NEEDED" {print $2}'); do
        lib=$(ldd "$program" | awk -v so="$soname" '$1 == so {print $3}')
        [ -n "$lib" ] || fail "$soname of ${program##*/} not found"
        libs+=("$lib")
    done
done
depends=", $(field Depends),"
for lib in $(printf '%s\n' "${libs[@]}" | sort -u); do
    # dpkg knows a library under /lib or /usr/lib, whichever its package used
    owner=$(dpkg -S "$lib" 2>/dev/null || dpkg -S "$(readlink -f "$lib")" 2>/dev/null) || fail "no package holds $lib"
    owner=${owner%%:*}
    [[ $depends == *", $owner "* || $depends == *", $owner,"* ]] || fail "Depends ($depends) lacks $owner"
done

installed=1
apt-get install "${apt_options[@]}" "$deb" >"$tmp/apt.log" 2>&1 || fail "apt-get install: $(cat "$tmp/apt.log")"
dpkg-query -W -f='${Status}' talvena | grep -q "install ok installed" || fail "not installed after apt-get install"
dpkg -L talvena >"$tmp/files"

[ "$(command -v talvena-cli)" = /usr/bin/talvena-cli ] || fail "talvena-cli is not on the PATH"
# /usr/games is on users' PATH, though not on root's.
export PATH=$PATH:/usr/games
[ "$(command -v talvena)" = /usr/games/talvena ] || fail "the launcher is not in /usr/games"
talvena-cli perft 3 >"$tmp/perft.txt" || fail "talvena-cli perft 3 failed"
grep -q '[0-9]' "$tmp/perft.txt" || fail "talvena-cli perft 3 printed no counts"

# The launcher on the PATH builds the user's folder from the installed files
# and starts the game there, which gives up without a display.
mkdir "$tmp/home"
status=0
out=$(env -u DISPLAY -u WAYLAND_DISPLAY -u XDG_DATA_HOME HOME="$tmp/home" talvena </dev/null 2>&1) || status=$?
[ "$status" -ne 0 ] && [[ $out == *"cannot initialise Allegro"* ]] || fail "the launcher did not start the game: $status $out"
[ "$(readlink -f "$tmp/home/.local/share/talvena/Data/talvena.dat")" = /usr/share/talvena/Data/talvena.dat ] ||
    fail "the user's folder does not link the installed datafile"

apt-get remove "${apt_options[@]}" talvena >"$tmp/apt.log" 2>&1 || fail "apt-get remove: $(cat "$tmp/apt.log")"
installed=0
left=()
while IFS= read -r path; do
    [ "$path" = "/." ] && continue
    if [ -d "$path" ] && [ ! -L "$path" ]; then
        # a folder may stay only while another package or file uses it
        if [ -z "$(ls -A "$path")" ] && ! dpkg -S "$path" >/dev/null 2>&1; then left+=("$path"); fi
    elif [ -e "$path" ] || [ -L "$path" ]; then
        left+=("$path")
    fi
done <"$tmp/files"
[ ${#left[@]} -eq 0 ] || fail "left behind after apt-get remove: ${left[*]}"
[ ! -e /usr/share/talvena ] && [ ! -e /usr/libexec/talvena ] || fail "the game's own folders are left"
echo "Debian package: built, installed, used and removed cleanly ($(wc -l <"$tmp/files") paths)"
