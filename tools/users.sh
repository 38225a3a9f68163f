# Sourced by the scripts in tools/, from the top of the tree: who installs
# packages, and who builds, tests and plays.
#
# Installing packages needs root: a normal user's apt-get goes through sudo,
# and only when something is missing. Building and playing happen as the
# person at the desktop: run as root through sudo, in a tree that belongs to
# the user who called sudo, they happen as that user, so the game reaches
# the user's sound server and the tree gets no root-owned files. As root
# without sudo (CI, a root shell) everything runs as root.

as_root() {
    if [ "$(id -u)" -eq 0 ]; then
        "$@"
    elif command -v sudo >/dev/null 2>&1; then
        echo "tools: installing packages with sudo: $*" >&2
        sudo "$@"
    else
        echo "tools: installing packages needs root: run this as root, or install sudo" >&2
        return 1
    fi
}

builder=
if [ "$(id -u)" -eq 0 ] && [ -n "${SUDO_USER:-}" ] && [ "$SUDO_USER" != root ] &&
    [ -n "${SUDO_UID:-}" ] && [ "$(stat -c %u .)" = "$SUDO_UID" ]; then
    builder=$SUDO_USER
fi

# Runs a command as the builder: the sudo user with their own home and
# session (runtime folder, session bus); DISPLAY and XAUTHORITY pass as sudo
# kept them. Without a builder the command runs as is.
as_builder() {
    if [ -z "$builder" ]; then
        "$@"
        return
    fi
    local home runtime=/run/user/$SUDO_UID
    home=$(getent passwd "$builder" | cut -d: -f6)
    local vars=(HOME="$home" USER="$builder" LOGNAME="$builder")
    if [ -d "$runtime" ]; then vars+=(XDG_RUNTIME_DIR="$runtime"); fi
    if [ -S "$runtime/bus" ]; then vars+=(DBUS_SESSION_BUS_ADDRESS="unix:path=$runtime/bus"); fi
    setpriv --reuid="$SUDO_UID" --regid="$SUDO_GID" --init-groups env "${vars[@]}" "$@"
}

# A build folder an earlier root run left in the builder's tree is handed
# back to the builder, who could not write to it otherwise.
reclaim_for_builder() {
    if [ -n "$builder" ] && [ -d "$1" ] && [ -n "$(find "$1" ! -uid "$SUDO_UID" -print -quit)" ]; then
        echo "tools: giving $1 back to $builder" >&2
        chown -R "$SUDO_UID:$SUDO_GID" "$1"
    fi
}
