# Debian packages the project needs, and a function that installs those that are missing. Nothing relies on
# a package's Recommends: everything a script runs is named here or beside it, as they are installed without
# them.

# To build and run the program; qt6-base-private-dev has the text document's own headers that reading the
# collection in one pass uses, qt6-translations-l10n gives Qt's own texts in Russian, libcups2-dev the printing
# system's own API.
RUN_PACKAGES=(cmake g++ make qt6-base-dev qt6-base-private-dev libgl-dev libegl-dev libxcb1-dev libxcb-xfixes0-dev
    pkg-config libwayland-dev libwayland-bin qt6-wayland qt6-translations-l10n fonts-dejavu-core libcups2-dev)

# To run every test: an X server, Wayland compositors (sway, and mutter with a session bus and the script that
# gives its headless seat a keyboard), programs that copy and click, the accessibility bus and a screen reader's
# library, a file system in user space for disks that misbehave, a printer and its tools, packaging checks.
TEST_PACKAGES=(xvfb xauth xclip xsel xdotool x11-utils sway xwayland wl-clipboard mutter dbus-daemon dbus-bin
    python3 python3-dbus at-spi2-core python3-pyatspi fuse3 libfuse3-dev cups cups-client cups-bsd cups-filters
    printer-driver-cups-pdf poppler-utils dpkg-dev file desktop-file-utils appstream)

install_packages() {
    local missing=()
    local package
    for package in "$@"; do
        if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
            missing+=("$package")
        fi
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    local sudo=()
    [ "$(id -u)" -eq 0 ] || sudo=(sudo)
    "${sudo[@]}" apt-get -o DPkg::Lock::Timeout=900 update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get -o DPkg::Lock::Timeout=900 install -y -qq --no-install-recommends "${missing[@]}"
}
