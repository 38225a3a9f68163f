#!/usr/bin/env bash
# Builds Talvena for 32-bit Windows on Debian 12 and packs it:
#   BUILD/Talvena-VERSION-win32.zip   runs in place from any writable folder
#   BUILD/Talvena-VERSION-setup.exe   installer (Start menu, uninstaller)
# Usage: tools/windows.sh [BUILD [NATIVE_BUILD]]   (build-windows, build)
#
# Allegro 4.4 and libmpg123 come as Debian's source packages, are built
# static with our patch (packaging/windows/) and kept in BUILD/deps: a later
# run rebuilds them only when their recipe changed. The datafile and the
# music are the native build's (NATIVE_BUILD, made as tools/setup.sh makes
# it), the same bytes on both systems. The i686 build runs on every 64-bit
# Windows; Wine places memory low, so a 64-bit build's truncated pointers
# (Allegro keeps some in long) would not even show in our tests.
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/users.sh

PACKAGES=(
  g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix mingw-w64-i686-dev binutils-mingw-w64-i686
  libz-mingw-w64-dev cmake make patch bzip2 dpkg-dev nsis zip unzip
  wine wine32 xvfb xdotool imagemagick x11-utils
)
# Allegro's and mpg123's sources, as Debian ships them.
ALLEGRO_VERSION=4.4.3.1
ALLEGRO_ORIG=allegro4.4_${ALLEGRO_VERSION}.orig.tar.gz
ALLEGRO_SHA256=ec19dbc9a021244582b4819b3583ee594b50141f9fcf6944a4ed8069cbf8d4d4
MPG123_VERSION=1.31.2
MPG123_ORIG=mpg123_${MPG123_VERSION}.orig.tar.bz2
MPG123_SHA256=b17f22905e31f43b6b401dfdf6a71ed11bb7d056f68db449d70b9f9ae839c7de
HOST=i686-w64-mingw32

build=${1:-build-windows}
native=${2:-build}
step() { echo "== tools/windows.sh: $1 at ${SECONDS} s"; }

# --- what the build needs -------------------------------------------------
# wine32 is an i386 package: the architecture is added once. The sources
# need a deb-src entry, added beside the system's own list.
install_packages() {
    local missing=() p
    for p in "${PACKAGES[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
    done
    local src=/etc/apt/sources.list.d/talvena-windows-src.sources
    local update=
    if ! dpkg --print-foreign-architectures | grep -qx i386; then
        as_root dpkg --add-architecture i386
        update=1
    fi
    if [ ! -f "$src" ]; then
        printf '%s\n' "# Allegro's and mpg123's sources for Talvena's tools/windows.sh." \
            "Types: deb-src" "URIs: http://deb.debian.org/debian" "Suites: bookworm" \
            "Components: main" "Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg" |
            as_root tee "$src" >/dev/null
        update=1
    fi
    if [ -n "$update" ] || [ ${#missing[@]} -gt 0 ]; then
        as_root env DEBIAN_FRONTEND=noninteractive apt-get update
    fi
    if [ ${#missing[@]} -gt 0 ]; then
        as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"
    fi
}

# --- the libraries ----------------------------------------------------------
deps=$PWD/$build/deps
recipe_hash() {
    # Whatever decides the libraries' bytes: this script's library part, the
    # patch and the toolchain file.
    { sed -n '/^# --- the libraries/,/^# --- end of the libraries/p' tools/windows.sh
      cat packaging/windows/allegro-*.patch packaging/windows/i686-w64-mingw32.cmake; } | sha256sum | cut -d' ' -f1
}

# apt-get source fetches what the archive still serves: the .orig tarballs
# always, Debian's own part not always (Allegro's is gone), so apt's answer
# is not the verdict; the pinned checksums are.
fetch_sources() {
    local dir=$1
    mkdir -p "$dir"
    if [ ! -f "$dir/$ALLEGRO_ORIG" ] || [ ! -f "$dir/$MPG123_ORIG" ]; then
        (cd "$dir" && apt-get source --download-only allegro4.4 mpg123 >/dev/null 2>&1) || true
    fi
    (cd "$dir" && printf '%s  %s\n' "$ALLEGRO_SHA256" "$ALLEGRO_ORIG" "$MPG123_SHA256" "$MPG123_ORIG" |
        sha256sum --check --quiet) || { echo "tools/windows.sh: the library sources could not be fetched" >&2; return 1; }
}

# Each library's build talks in its own log; a failure shows its end.
quietly() {
    local log=$1
    shift
    "$@" >>"$log" 2>&1 || { tail -n 30 "$log" >&2; echo "tools/windows.sh: failed: $* (log: $log)" >&2; return 1; }
}

build_allegro() {
    local src=$1 log=$1/allegro.log
    rm -rf "$src/allegro-$ALLEGRO_VERSION" "$src/allegro-build"
    tar -xzf "$src/$ALLEGRO_ORIG" -C "$src"
    (cd "$src/allegro-$ALLEGRO_VERSION" && patch -p1 --quiet < "$OLDPWD/packaging/windows/allegro-$ALLEGRO_VERSION-wine.patch")
    : >"$log"
    quietly "$log" cmake -S "$src/allegro-$ALLEGRO_VERSION" -B "$src/allegro-build" \
        -DCMAKE_TOOLCHAIN_FILE="$PWD/packaging/windows/i686-w64-mingw32.cmake" \
        -DTALVENA_WINDOWS_DEPS="$deps" -DCMAKE_INSTALL_PREFIX="$deps" -DCMAKE_BUILD_TYPE=Release \
        -DSHARED=OFF -DWANT_ALLEGROGL=OFF -DWANT_LOADPNG=OFF -DWANT_LOGG=OFF -DWANT_JPGALLEG=OFF \
        -DWANT_EXAMPLES=OFF -DWANT_TOOLS=OFF -DWANT_TESTS=OFF -DWANT_DOCS=OFF -Wno-dev
    quietly "$log" cmake --build "$src/allegro-build" -j"$(nproc)"
    quietly "$log" cmake --install "$src/allegro-build"
}

build_mpg123() {
    local src=$1 log=$1/mpg123.log
    : >"$log"
    rm -rf "$src/mpg123-$MPG123_VERSION"
    # dpkg-source applies Debian's patches; the signature is not checked, the
    # tarball's checksum was.
    if [ -f "$src/mpg123_${MPG123_VERSION}-1+deb12u1.dsc" ]; then
        (cd "$src" && dpkg-source --no-check -x "mpg123_${MPG123_VERSION}-1+deb12u1.dsc" "mpg123-$MPG123_VERSION" >/dev/null)
    else
        tar -xjf "$src/$MPG123_ORIG" -C "$src"
    fi
    # Only the library: the player and its output modules are not needed.
    cd "$src/mpg123-$MPG123_VERSION"
    quietly "$log" ./configure --host=$HOST CC=$HOST-gcc-posix --prefix="$deps" --enable-static --disable-shared \
        --disable-components --enable-libmpg123 --with-cpu=x86
    quietly "$log" make -j"$(nproc)"
    quietly "$log" make install
    cd - >/dev/null
}

build_libraries() {
    local hash
    hash=$(recipe_hash)
    if [ -f "$deps/.recipe" ] && [ "$(cat "$deps/.recipe")" = "$hash" ]; then
        step "libraries: cached in $deps"
        return
    fi
    rm -rf "$deps"
    local src=$PWD/$build/deps-src
    fetch_sources "$src"
    step "building Allegro $ALLEGRO_VERSION"
    build_allegro "$src"
    step "building libmpg123 $MPG123_VERSION"
    build_mpg123 "$src"
    echo "$hash" > "$deps/.recipe"
    rm -rf "$src/allegro-$ALLEGRO_VERSION" "$src/allegro-build" "$src/mpg123-$MPG123_VERSION"
}
# --- end of the libraries ---------------------------------------------------

only_libraries=
if [ "${TALVENA_WINDOWS_ONLY_LIBRARIES:-}" = 1 ]; then only_libraries=1; fi

step "packages"
install_packages
reclaim_for_builder "$build"
mkdir -p "$build"
step "libraries"
export -f quietly build_libraries build_allegro build_mpg123 fetch_sources recipe_hash step
export deps build ALLEGRO_VERSION ALLEGRO_ORIG ALLEGRO_SHA256 MPG123_VERSION MPG123_ORIG MPG123_SHA256 HOST
as_builder bash -euo pipefail -c build_libraries
[ -z "$only_libraries" ] || exit 0

version=$(sed -n 's/^project(talvena VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
cross=$build/cross
stage=$build/stage/Talvena

# --- the native build: datafile, music, and the Linux talvena-cli the Wine
# tests compare with ----------------------------------------------------------
step "native data and music in $native"
if [ ! -f "$native/CMakeCache.txt" ]; then
    bash tools/setup.sh "$native"
else
    as_builder cmake --build "$native" -j"$(nproc)" --target talvena_data talvena_tracks talvena-cli
fi

# --- the programs ---------------------------------------------------------------
step "cross-building talvena.exe and talvena-cli.exe"
launcher=()
if command -v ccache >/dev/null 2>&1; then launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache); fi
as_builder cmake -S . -B "$cross" -DCMAKE_TOOLCHAIN_FILE="$PWD/packaging/windows/i686-w64-mingw32.cmake" \
    -DTALVENA_WINDOWS_DEPS="$deps" -DCMAKE_BUILD_TYPE=Release "${launcher[@]}" >/dev/null
as_builder cmake --build "$cross" -j"$(nproc)" --target talvena talvena-cli platform_wintest

# --- the folder both packages hold ----------------------------------------------
step "packing Talvena $version"
as_builder bash -euo pipefail -c '
    stage=$1 cross=$2 native=$3 src=$4
    rm -rf "$stage"
    mkdir -p "$stage/Data" "$stage/Hudba" "$stage/Licence"
    for exe in talvena talvena-cli; do '"$HOST"'-strip -o "$stage/$exe.exe" "$cross/$exe.exe"; done
    cp "$native/Data/talvena.dat" "$native/Data/allegro.cfg" "$stage/Data/"
    cp "$native"/Hudba/*.mp3 "$stage/Hudba/"
    # Licences in Windows line ends, so Notepad shows them whole.
    crlf() { sed "s/\r*$/\r/"; }
    crlf < LICENSE > "$stage/LICENSE.txt"
    tar -xzOf "$src/'"$ALLEGRO_ORIG"'" allegro-'"$ALLEGRO_VERSION"'/docs/src/license._tx | grep -v "^@" | crlf > "$stage/Licence/Allegro.txt"
    tar -xjOf "$src/'"$MPG123_ORIG"'" mpg123-'"$MPG123_VERSION"'/COPYING | crlf > "$stage/Licence/mpg123.txt"
    crlf < /usr/share/doc/mingw-w64-common/copyright > "$stage/Licence/MinGW-w64.txt"
    crlf < /usr/share/doc/gcc-mingw-w64-base/copyright > "$stage/Licence/GCC-runtime.txt"
    crlf < packaging/windows/README.txt > "$stage/README.txt"
' _ "$stage" "$cross" "$native" "$build/deps-src"

# Every file with one time, so the same sources give the same zip.
stamp=$(git log -1 --format=%ct 2>/dev/null || echo 0)
zip=$build/Talvena-$version-win32.zip
setup=$build/Talvena-$version-setup.exe
as_builder bash -euo pipefail -c '
    stage=$1 zip=$2 stamp=$3
    find "$stage" -exec touch -h -d "@$stamp" {} +
    rm -f "$zip"
    (cd "$stage/.." && find Talvena -type f | LC_ALL=C sort | zip -X -q -9 "$OLDPWD/$zip" -@)
' _ "$stage" "$zip" "$stamp"

# The installer lists every file it installs, so the uninstaller removes
# exactly those and leaves whatever else is in the folder.
nsh=$build/stage/files.nsh
as_builder bash -euo pipefail -c '
    stage=$1 nsh=$2
    : > "$nsh"
    (cd "$stage" && find . -mindepth 1 -type d | LC_ALL=C sort) | while read -r d; do
        d=${d#./}; echo "CreateDirectory \"\$INSTDIR\\${d//\//\\}\"" >> "$nsh"; done
    (cd "$stage" && find . -type f | LC_ALL=C sort) | while read -r f; do
        f=${f#./}; dir=$(dirname "$f"); if [ "$dir" = . ]; then dir=; else dir="\\${dir//\//\\}"; fi
        echo "SetOutPath \"\$INSTDIR$dir\"" >> "$nsh"
        echo "File \"$(cd "$stage" && pwd)/$f\"" >> "$nsh"; done
    : > "${nsh%.nsh}-delete.nsh"
    (cd "$stage" && find . -type f | LC_ALL=C sort) | while read -r f; do
        f=${f#./}; echo "Delete \"\$INSTDIR\\${f//\//\\}\"" >> "${nsh%.nsh}-delete.nsh"; done
    (cd "$stage" && find . -mindepth 1 -type d | LC_ALL=C sort -r) | while read -r d; do
        d=${d#./}; echo "RMDir \"\$INSTDIR\\${d//\//\\}\"" >> "${nsh%.nsh}-delete.nsh"; done
' _ "$stage" "$nsh"
as_builder makensis -V2 -DVERSION="$version" -DLICENSE="$PWD/$stage/LICENSE.txt" -DFILES="$PWD/$nsh" -DDELETES="$PWD/${nsh%.nsh}-delete.nsh" \
    -DOUTFILE="$PWD/$setup" packaging/windows/talvena.nsi
step "done: $zip ($(stat -c %s "$zip") bytes), $setup ($(stat -c %s "$setup") bytes)"
