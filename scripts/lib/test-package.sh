#!/usr/bin/env bash
# Builds the Debian package, installs it on this machine with apt, checks what it installed, starts the
# installed program until its main window shows, and removes the package again, also when a check fails.
# Needs an X server in DISPLAY (./scripts/test starts one) and root or sudo.
set -euo pipefail
cd "$(dirname "$0")/../.."

APP_ID=io.github.vardelo.vardelo
WINDOW_TIMEOUT=20

fail() {
    echo "test-package: $*" >&2
    exit 1
}

[ -n "${DISPLAY:-}" ] || fail "needs an X server in DISPLAY"
sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)
apt_get() {
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get "$@"
}

# Removing a copy the user installed would not leave the machine as it was.
if dpkg-query -W -f='${Status}' vardelo 2>/dev/null | grep -q 'ok installed'; then
    fail "vardelo is already installed here; remove it first (apt-get remove vardelo)"
fi

deb=$(./scripts/package)

installed=no
app_pid=""
# The program's own settings, cache and runtime files go here, not into the caller's home.
scratch=$(mktemp -d)
cleanup() {
    if [ -n "$app_pid" ] && kill -0 "$app_pid" 2>/dev/null; then
        kill "$app_pid" 2>/dev/null || true
        for _ in $(seq 50); do kill -0 "$app_pid" 2>/dev/null || break; sleep 0.1; done
        kill -KILL "$app_pid" 2>/dev/null || true
    fi
    [ -z "$app_pid" ] || wait "$app_pid" 2>/dev/null || true
    rm -rf "$scratch"
    if [ "$installed" = yes ]; then
        apt_get purge -y -q vardelo >/dev/null || true
        if dpkg-query -W -f='${Status}' vardelo 2>/dev/null | grep -q 'ok installed'; then
            echo "test-package: could not remove vardelo again" >&2
            exit 1
        fi
        echo "Removed vardelo again"
    fi
}
trap cleanup EXIT
trap "exit 130" INT TERM

echo "Installing $deb"
installed=yes
apt_get install -y -q "$deb"

status=$(dpkg -s vardelo)
echo "$status"
version=$(sed -n 's/^Version: //p' <<<"$status")
[ "$version" = 1.00 ] || fail "installed version is '$version', not 1.00"
grep -q '^Depends:.*\blibqt6widgets6\b' <<<"$status" || fail "Depends does not name libqt6widgets6"
grep -q '^Recommends:.*\bqt6-translations-l10n\b' <<<"$status" || fail "Recommends does not name qt6-translations-l10n"

# Each file the desktop looks for, where it looks for it.
for file in /usr/bin/vardelo /usr/share/applications/vardelo.desktop /usr/share/metainfo/$APP_ID.metainfo.xml \
    /usr/share/icons/hicolor/32x32/apps/vardelo.png /usr/share/icons/hicolor/scalable/apps/vardelo.svg; do
    [ -f "$file" ] || fail "$file is missing"
done
[ -x /usr/bin/vardelo ] || fail "/usr/bin/vardelo is not executable"

# desktop-file-validate exits 0 on warnings, so any output counts as a failure.
out=$(desktop-file-validate /usr/share/applications/vardelo.desktop 2>&1) && [ -z "$out" ] ||
    fail "desktop-file-validate: $out"
echo "desktop-file-validate: no issues"
# AppStream before 1.0 (Debian 12) does not know the <developer> element that 1.0 (Debian 13) asks for; that
# alone is no fault.
if ! out=$(appstreamcli validate --no-net --strict "/usr/share/metainfo/$APP_ID.metainfo.xml" 2>&1); then
    issues=$(grep -E '^[EWI]: ' <<<"$out" | grep -v ': unknown-tag developer$' || true)
    [ -z "$issues" ] || fail "appstreamcli validate found issues: $out"
fi
echo "appstreamcli validate: no issues ($(appstreamcli --version))"

# Start it as a menu would, on the X server, whatever platform the caller's environment asks for.
mkdir -m 700 "$scratch/run"
env -u QT_QPA_PLATFORM XDG_RUNTIME_DIR="$scratch/run" XDG_CONFIG_HOME="$scratch/config" \
    XDG_CACHE_HOME="$scratch/cache" XDG_DATA_HOME="$scratch/data" /usr/bin/vardelo &
app_pid=$!
echo "Started /usr/bin/vardelo (process $app_pid), waiting up to ${WINDOW_TIMEOUT} s for its window 'Vardelo'"
deadline=$((SECONDS + WINDOW_TIMEOUT))
until xdotool search --all --onlyvisible --pid "$app_pid" --name '^Vardelo$' >/dev/null 2>&1; do
    if ! kill -0 "$app_pid" 2>/dev/null; then
        wait "$app_pid" && code=0 || code=$?
        app_pid=""
        fail "vardelo exited with status $code before showing its window 'Vardelo'"
    fi
    [ "$SECONDS" -lt "$deadline" ] || fail "no window 'Vardelo' within ${WINDOW_TIMEOUT} s"
    sleep 0.2
done
echo "The window 'Vardelo' is shown"
echo "test-package: all checks passed"
