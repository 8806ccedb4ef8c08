# Starts wine for the Windows tests in a prefix of its own and stops it on exit. start_wine exports
# WINEPREFIX (set to Windows 10, with wine's fonts where Windows programs look for them) and keeps the wine
# server running for the whole run, as the Windows clipboard lives only as long as it does.
# windows_path turns a Unix path into the path wine's programs see; wine_dll_path is the WINEPATH a build's
# programs need.

WINE_DIR=""

windows_path() {
    local path
    path=$(realpath -m "$1")
    echo "Z:${path//\//\\}"
}

# The DLL search path for programs of this build under wine: Qt's and MinGW's DLL folders (windows.sh).
wine_dll_path() {
    windows_dll_dirs | while read -r dir; do windows_path "$dir"; done | paste -sd ';'
}

# make_wine_prefix <folder>: a fresh Windows 10 prefix in that folder.
make_wine_prefix() {
    export WINEPREFIX=$1 WINEARCH=win64 WINEDEBUG=-all
    # No downloads of Mono or Gecko: nothing here needs them and the network is closed.
    export WINEDLLOVERRIDES="mscoree=;mshtml="
    wineboot --init >/dev/null 2>&1
    wine winecfg -v win10 >/dev/null 2>&1
    # Debian's wine does not find its own fonts, and Qt would fall back to a serif one.
    cp /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/"
    wineserver -w
}

start_wine() {
    WINE_DIR=$(mktemp -d /tmp/vardelo-wine.XXXXXX)
    make_wine_prefix "$WINE_DIR/prefix"
    wineserver -p
    # The first Windows program starts wine's own services, which keep whatever output it had open; started
    # here with none, they cannot hold a test's output open (CTest would wait for it until its timeout).
    wine cmd /c exit >/dev/null 2>&1 </dev/null
    echo "wine runs in $WINEPREFIX"
}

stop_wine() {
    if [ -n "$WINE_DIR" ]; then
        wineserver -k 2>/dev/null || true
        rm -rf "$WINE_DIR"
        WINE_DIR=""
    fi
}
