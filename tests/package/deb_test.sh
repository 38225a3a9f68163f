#!/usr/bin/env bash
# The Debian package, built with CPack from the build folder and checked
# without touching the machine's own /usr: lintian's verdict, the control
# fields and the libraries it declares, then its files unpacked into a
# temporary root, from which talvena-cli and the launcher run.
# Usage: deb_test.sh BUILD_DIR
set -euo pipefail
# lintian and dpkg print and sort in the caller's locale otherwise.
export LC_ALL=C.UTF-8
build=$(readlink -f "$1")
tmp=$(mktemp -d /tmp/talvena-deb-XXXXXX)
trap 'rm -rf "$tmp"' EXIT

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

cpack -G DEB --config "$build/CPackConfig.cmake" -B "$tmp/out" >"$tmp/cpack.log" 2>&1 || fail "cpack: $(cat "$tmp/cpack.log")"
debs=("$tmp"/out/talvena_*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || fail "cpack made no talvena_*.deb"
deb=${debs[0]}

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

# Removing the package removes exactly the files it lists as long as no
# maintainer script makes others and nothing lies outside /usr.
dpkg-deb -e "$deb" "$tmp/control"
for script in preinst postinst prerm postrm; do
    [ ! -e "$tmp/control/$script" ] || fail "the package runs a $script script"
done
dpkg-deb -c "$deb" | awk '{print $6}' >"$tmp/files"
outside=$(grep -v -e '^\./$' -e '^\./usr/' "$tmp/files" || true)
[ -z "$outside" ] || fail "files outside /usr: $outside"
for f in ./usr/bin/talvena-cli ./usr/games/talvena ./usr/libexec/talvena/talvena \
    ./usr/share/talvena/Data/talvena.dat ./usr/share/man/man6/talvena.6.gz; do
    grep -qx "$f" "$tmp/files" || fail "the package lacks $f"
done

# Unpacked where dpkg would put it, under a root of its own.
root=$tmp/root
dpkg-deb -x "$deb" "$root"
"$root/usr/bin/talvena-cli" perft 3 >"$tmp/perft.txt" || fail "talvena-cli perft 3 failed"
grep -q '[0-9]' "$tmp/perft.txt" || fail "talvena-cli perft 3 printed no counts"

# The launcher builds the user's folder from the package's files, found
# beside itself, and starts the game there, which gives up without a display.
mkdir "$tmp/home"
status=0
out=$(env -u DISPLAY -u WAYLAND_DISPLAY -u XDG_DATA_HOME HOME="$tmp/home" "$root/usr/games/talvena" </dev/null 2>&1) ||
    status=$?
[ "$status" -ne 0 ] && [[ $out == *"cannot initialise Allegro"* ]] || fail "the launcher did not start the game: $status $out"
[ "$(readlink -f "$tmp/home/.local/share/talvena/Data/talvena.dat")" = "$root/usr/share/talvena/Data/talvena.dat" ] ||
    fail "the user's folder does not link the package's datafile"
echo "Debian package: built, checked and run from $(grep -c . "$tmp/files") paths unpacked"
