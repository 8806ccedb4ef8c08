# Starts a headless sway with XWayland for the Wayland tests and stops it on exit. start_sway exports
# VARDELO_SWAY_RUNTIME_DIR, VARDELO_SWAY_DISPLAY and VARDELO_SWAY_X_DISPLAY (XWayland's), and SWAY_USER holds
# the command prefix that runs a program as the user sway runs as: sway refuses to run as root, so under root
# it runs as nobody. A program run without DISPLAY sees a Wayland session without X11.

source "$(dirname "${BASH_SOURCE[0]}")/desktop-user.sh"

SWAY_PID=""
SWAY_DIR=""
SWAY_USER=("${DESKTOP_USER[@]}")

start_sway() {
    SWAY_DIR=$(mktemp -d /tmp/vardelo-sway.XXXXXX)
    chmod 755 "$SWAY_DIR"
    # XWayland starts at once, and sway tells its display to the programs it starts.
    printf 'xwayland force\nexec printenv DISPLAY >%s/run/display.tmp && mv %s/run/display.tmp %s/run/display\n' \
        "$SWAY_DIR" "$SWAY_DIR" "$SWAY_DIR" >"$SWAY_DIR/config"
    mkdir -m 700 "$SWAY_DIR/run"
    [ "$(id -u)" -ne 0 ] || chown nobody:nogroup "$SWAY_DIR/run"
    "${SWAY_USER[@]}" env -i PATH="$PATH" HOME="$SWAY_DIR" XDG_RUNTIME_DIR="$SWAY_DIR/run" WLR_BACKENDS=headless \
        WLR_RENDERER=pixman WLR_LIBINPUT_NO_DEVICES=1 sway -c "$SWAY_DIR/config" >"$SWAY_DIR/sway.log" 2>&1 &
    SWAY_PID=$!
    local tries=0
    local socket=""
    until socket=$(find "$SWAY_DIR/run" -maxdepth 1 -type s -name 'wayland-*' -printf '%f\n' 2>/dev/null) &&
        [ -n "$socket" ]; do
        tries=$((tries + 1))
        if [ "$tries" -ge 300 ] || ! kill -0 "$SWAY_PID" 2>/dev/null; then
            echo "sway did not start:" >&2
            cat "$SWAY_DIR/sway.log" >&2
            return 1
        fi
        sleep 0.1
    done
    tries=0
    until [ -s "$SWAY_DIR/run/display" ] &&
        "${SWAY_USER[@]}" xdpyinfo -display "$(cat "$SWAY_DIR/run/display")" >/dev/null 2>&1; do
        tries=$((tries + 1))
        if [ "$tries" -ge 300 ]; then
            echo "XWayland did not start:" >&2
            cat "$SWAY_DIR/sway.log" >&2
            return 1
        fi
        sleep 0.1
    done
    export VARDELO_SWAY_RUNTIME_DIR="$SWAY_DIR/run"
    export VARDELO_SWAY_DISPLAY="$socket"
    VARDELO_SWAY_X_DISPLAY=$(cat "$SWAY_DIR/run/display")
    export VARDELO_SWAY_X_DISPLAY
    echo "sway runs on $VARDELO_SWAY_DISPLAY in $VARDELO_SWAY_RUNTIME_DIR, XWayland on $VARDELO_SWAY_X_DISPLAY"
}

stop_sway() {
    if [ -n "$SWAY_PID" ]; then
        kill "$SWAY_PID" 2>/dev/null || true
        wait "$SWAY_PID" 2>/dev/null || true
        SWAY_PID=""
    fi
    if [ -n "$SWAY_DIR" ]; then
        rm -rf "$SWAY_DIR"
        SWAY_DIR=""
    fi
    unset VARDELO_SWAY_RUNTIME_DIR VARDELO_SWAY_DISPLAY VARDELO_SWAY_X_DISPLAY
}
