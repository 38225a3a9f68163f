#!/usr/bin/env bash
# The installed tree without a display: `cmake --install` under a temporary
# prefix through DESTDIR, the desktop entry, metainfo, icons and man pages as
# the desktop's own validators see them, then the tree moved elsewhere and the
# launcher run from there for several users: each gets a game folder of links
# to the installation it belongs to, links are mended on the next start, and
# the users' own files are never touched.
# Usage: install_test.sh BUILD_DIR
set -euo pipefail
# The tools below read and print Czech text: the same locale whoever calls.
export LC_ALL=C.UTF-8
build=$(readlink -f "$1")
tmp=$(mktemp -d /tmp/talvena-install-XXXXXX)
trap 'rm -rf "$tmp"' EXIT

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

prefix=/opt/talvena-install-test-$$
DESTDIR=$tmp/dest cmake --install "$build" --prefix "$prefix" >"$tmp/install.log" || fail "cmake --install: $(cat "$tmp/install.log")"
[ ! -e "$prefix" ] || fail "DESTDIR was not honoured: $prefix exists"
root=$tmp/dest$prefix

for f in games/talvena bin/talvena-cli libexec/talvena/talvena; do
    [ -f "$root/$f" ] && [ -x "$root/$f" ] || fail "$f is not an installed program"
done
for f in share/talvena/Data/talvena.dat share/talvena/Data/allegro.cfg; do
    cmp -s "$root/$f" "$build/Data/${f##*/}" || fail "$f differs from the build's"
done
for track in "$build"/Hudba/*.mp3; do
    [ -e "$track" ] || continue
    cmp -s "$track" "$root/share/talvena/Hudba/${track##*/}" || fail "track ${track##*/} not installed"
done
# The endgame tables the build made, when it made them.
for table in "$build"/Data/tables/*.tbl; do
    [ -e "$table" ] || continue
    cmp -s "$table" "$root/share/talvena/Data/tables/${table##*/}" || fail "table ${table##*/} not installed"
done

# The desktop entry, the metainfo and the icon must name one another.
desktop=$(echo "$root"/share/applications/*.desktop)
metainfo=$(echo "$root"/share/metainfo/*.metainfo.xml)
[ -f "$desktop" ] && [ -f "$metainfo" ] || fail "no desktop entry or metainfo"
app_id=$(basename "$desktop" .desktop)
[[ $app_id == org.example.* ]] || fail "desktop entry $app_id is not under example.org"
grep -q "<launchable type=\"desktop-id\">$app_id.desktop</launchable>" "$metainfo" || fail "metainfo does not launch $app_id"
grep -qx "Icon=$app_id" "$desktop" || fail "desktop entry does not use the icon $app_id"
grep -qx "Categories=Game;BoardGame;" "$desktop" || fail "categories"
out=$(desktop-file-validate "$desktop" 2>&1) && [ -z "$out" ] || fail "desktop-file-validate: $out"
out=$(appstreamcli validate --no-net "$metainfo" 2>&1) || fail "appstreamcli validate: $out"

sizes=()
for icon in "$root"/share/icons/hicolor/*/apps/"$app_id".png; do
    [ -e "$icon" ] || fail "no icon in the hicolor theme"
    dir=$(basename "$(dirname "$(dirname "$icon")")")
    # size from the folder name; a rounded square leaves its corners clear
    [ "$(identify -format '%wx%h' "$icon")" = "$dir" ] || fail "icon $dir is $(identify -format '%wx%h' "$icon")"
    corner=$(convert "$icon" -format '%[fx:int(255*p{0,0}.a)]' info:)
    [ "$corner" -eq 0 ] || fail "icon $dir has an opaque corner (alpha $corner)"
    sizes+=("${dir%x*}")
done
[[ " ${sizes[*]} " == *" 16 "* && " ${sizes[*]} " == *" 256 "* ]] || fail "icon sizes ${sizes[*]} do not span 16 to 256"

for page in "$root"/share/man/man6/talvena.6.gz "$root"/share/man/man6/talvena-cli.6.gz; do
    [ -f "$page" ] || fail "no man page $page"
    # A reader in the C locale gets the page for an ASCII terminal.
    for locale in C.UTF-8 C; do
        out=$(LC_ALL=$locale MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null) && [ -z "$out" ] ||
            fail "man ${page##*/} ($locale): $out"
    done
done

# The escapes give the Czech letters back in a UTF-8 terminal.
MANWIDTH=80 man -l "$root/share/man/man6/talvena.6.gz" 2>/dev/null | grep -q "Ukončit" || fail "talvena.6 lost its Czech letters"

[ -s "$root/share/doc/talvena/copyright" ] || fail "no copyright file"
gzip -t "$root/share/doc/talvena/changelog.gz" || fail "changelog.gz is not a gzip file"

# Everything below runs from another place than the one installed to.
moved=$tmp/elsewhere/talvena
mkdir -p "$(dirname "$moved")"
mv "$root" "$moved"
share=$moved/share/talvena
"$moved/bin/talvena-cli" perft 3 >"$tmp/perft.txt" || fail "talvena-cli perft 3 failed"
grep -q '[0-9]' "$tmp/perft.txt" || fail "talvena-cli perft 3 printed no counts"

# Starts the launcher without a display: it builds the folder, then the game
# itself starts there and gives up for want of a display.
launch() {
    local out status=0
    out=$(env -u DISPLAY -u WAYLAND_DISPLAY "$@" </dev/null 2>&1) || status=$?
    [ "$status" -ne 0 ] && [[ $out == *"cannot initialise Allegro"* ]] || fail "the game did not start: $status $out"
}
# The folder holds exactly the installation's links and no file of the user's.
check_folder() {
    local folder=$1 f target
    for f in Data/talvena.dat Data/allegro.cfg; do
        [ -L "$folder/$f" ] || fail "$folder/$f is not a link"
        target=$(readlink -f "$folder/$f")
        [ "$target" = "$share/$f" ] || fail "$folder/$f points at $target"
    done
    for target in "$share"/Hudba/*.mp3; do
        [ -e "$target" ] || continue
        [ "$(readlink -f "$folder/Hudba/${target##*/}")" = "$target" ] || fail "track ${target##*/} not linked"
    done
    [ "$(ls "$folder/Hudba" | wc -l)" -eq "$(ls "$share/Hudba" | wc -l)" ] || fail "stray tracks in $folder/Hudba"
    if [ -d "$share/Data/tables" ]; then
        [ "$(readlink -f "$folder/Data/tables")" = "$share/Data/tables" ] || fail "$folder/Data/tables not linked"
    fi
}

# First start of user 1, through a link to the launcher as a menu or
# /usr/games would have it.
mkdir -p "$tmp/links" "$tmp/home1" "$tmp/home2"
ln -s "$moved/games/talvena" "$tmp/links/talvena"
launch -u XDG_DATA_HOME HOME="$tmp/home1" "$tmp/links/talvena"
folder1=$tmp/home1/.local/share/talvena
check_folder "$folder1"
[ -z "$(ls "$folder1"/Data/*.tdt 2>/dev/null)" ] || fail "the launcher made a .tdt file"

# The game's own files appear; an upgrade or a hand removed a link, moved
# another and left a dead track behind.
head -c 108 /dev/urandom >"$folder1/Data/talvdat.tdt"
head -c 1420 /dev/urandom >"$folder1/Data/gamdat.tdt"
cp "$folder1"/Data/*.tdt "$tmp/"
rm "$folder1/Data/talvena.dat"
ln -sfn /nonexistent/allegro.cfg "$folder1/Data/allegro.cfg"
ln -s /nonexistent/Old.mp3 "$folder1/Hudba/Old.mp3"
launch -u XDG_DATA_HOME HOME="$tmp/home1" "$moved/games/talvena"
check_folder "$folder1"
cmp -s "$folder1/Data/talvdat.tdt" "$tmp/talvdat.tdt" || fail "the settings file changed"
cmp -s "$folder1/Data/gamdat.tdt" "$tmp/gamdat.tdt" || fail "the saved games changed"

# A real file the user put in place of a link stays.
rm "$folder1/Data/allegro.cfg"
echo "# mine" >"$folder1/Data/allegro.cfg"
launch -u XDG_DATA_HOME HOME="$tmp/home1" "$moved/games/talvena"
[ ! -L "$folder1/Data/allegro.cfg" ] && [ "$(cat "$folder1/Data/allegro.cfg")" = "# mine" ] || fail "the user's allegro.cfg was replaced"

# A second user gets a folder of their own; the first one's is untouched.
launch -u XDG_DATA_HOME HOME="$tmp/home2" "$moved/games/talvena"
check_folder "$tmp/home2/.local/share/talvena"
[ -z "$(ls "$tmp"/home2/.local/share/talvena/Data/*.tdt 2>/dev/null)" ] || fail "user 2 has files of user 1"
cmp -s "$folder1/Data/talvdat.tdt" "$tmp/talvdat.tdt" || fail "user 2 changed user 1's settings"

# XDG_DATA_HOME counts when absolute, and is ignored when relative.
launch XDG_DATA_HOME="$tmp/xdg" HOME="$tmp/home2" "$moved/games/talvena"
check_folder "$tmp/xdg/talvena"
(cd "$tmp" && launch XDG_DATA_HOME=relative HOME="$tmp/home3" "$moved/games/talvena")
check_folder "$tmp/home3/.local/share/talvena"
[ ! -e "$tmp/relative" ] || fail "a relative XDG_DATA_HOME was used"

echo "installed tree and launcher: all checks passed"
