# A Debian root of another release for the tests, made once with debootstrap from Debian's own archive into
# the cache outside the tree ($VARDELO_CACHE, by default ~/.cache/vardelo) and reused afterwards, and a way to
# run the README's commands in a fresh copy of the tree inside it.
#   debian_root_ready <release>, make_debian_root <release>
#   run_in_debian_root <release> <packages to install first, or ""> <command...>

DEBIAN_ROOT_CACHE=${VARDELO_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/vardelo}
DEBIAN_MIRROR=http://deb.debian.org/debian

debian_root_dir() {
    echo "$DEBIAN_ROOT_CACHE/debian-$1-root"
}

debian_root_ready() {
    [ -f "$(debian_root_dir "$1")/.vardelo-complete" ]
}

# A minimal system of that release whose apt can install what the scripts name, and which starts no service
# while packages are installed.
make_debian_root() {
    local release=$1 root
    root=$(debian_root_dir "$release")
    debian_root_ready "$release" && return 0
    echo "Making a Debian $release root in $root with debootstrap (a few minutes)"
    rm -rf "$root"
    mkdir -p "$DEBIAN_ROOT_CACHE"
    debootstrap --variant=minbase --keyring=/usr/share/keyrings/debian-archive-keyring.gpg \
        "$release" "$root" "$DEBIAN_MIRROR" >"$root.log" 2>&1 ||
        { tail -n 30 "$root.log" >&2; echo "debootstrap failed; its log: $root.log" >&2; return 1; }
    rm -f "$root/etc/apt/sources.list"
    printf '%s\n' 'Types: deb' "URIs: $DEBIAN_MIRROR" "Suites: $release $release-updates" 'Components: main' \
        'Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg' '' \
        'Types: deb' 'URIs: http://deb.debian.org/debian-security' "Suites: $release-security" \
        'Components: main' 'Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg' \
        >"$root/etc/apt/sources.list.d/debian.sources"
    printf '#!/bin/sh\nexit 101\n' >"$root/usr/sbin/policy-rc.d"
    chmod 755 "$root/usr/sbin/policy-rc.d"
    printf '127.0.0.1 localhost\n::1 localhost\n' >"$root/etc/hosts"
    tr -d '-' </proc/sys/kernel/random/uuid >"$root/etc/machine-id"
    touch "$root/.vardelo-complete"
    echo "The Debian $release root is ready in $root"
}

DEBIAN_ROOT_MOUNTS=()

# mount_in_debian_root <root> <what> <where inside> [mount options...]
mount_in_debian_root() {
    local root=$1 what=$2 where=$1$3
    shift 3
    mkdir -p "$where"
    mount "$@" "$what" "$where"
    DEBIAN_ROOT_MOUNTS=("$where" "${DEBIAN_ROOT_MOUNTS[@]}")
}

unmount_debian_root() {
    local where
    for where in "${DEBIAN_ROOT_MOUNTS[@]}"; do
        umount "$where" 2>/dev/null || umount -l "$where"
    done
    DEBIAN_ROOT_MOUNTS=()
}

# Copies the working tree (what git tracks, and new files it does not ignore) into a new folder under the
# root's /root, installs the packages given with the root's network, then runs the command there as root in
# namespaces of its own: its own network (only loopback), so that its servers (X, CUPS, D-Bus) and display
# numbers never meet the host's, and its own processes, so that none outlives it. Returns its exit code.
run_in_debian_root() {
    local release=$1 packages=$2 root tree status=0
    shift 2
    root=$(debian_root_dir "$release")
    tree=$(mktemp -d "$root/root/vardelo.XXXXXX")
    echo "Copying the tree to ${tree#"$root"} in the Debian $release root"
    if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
        git ls-files -z --cached --others --exclude-standard | xargs -0 -r sh -c 'for f; do [ -e "$f" ] && printf "%s\0" "$f"; done' _ |
            tar --null -T - -cf - | tar -xf - -C "$tree"
    else
        tar --exclude='./build*' -cf - . | tar -xf - -C "$tree"
    fi
    cp /etc/resolv.conf "$root/etc/resolv.conf"

    trap 'unmount_debian_root; rm -rf "$tree"' RETURN
    mount_in_debian_root "$root" /proc /proc --bind
    mount_in_debian_root "$root" /sys /sys --bind
    mount_in_debian_root "$root" /dev /dev --bind
    mount_in_debian_root "$root" /dev/pts /dev/pts --bind
    mount_in_debian_root "$root" tmpfs /dev/shm -t tmpfs -o mode=1777
    mount_in_debian_root "$root" tmpfs /run -t tmpfs -o mode=755
    mount_in_debian_root "$root" tmpfs /tmp -t tmpfs -o mode=1777

    local inside=(chroot "$root" env -i PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin HOME=/root
        LANG=C.UTF-8 TERM="${TERM:-dumb}" VARDELO_CACHE=/root/.cache/vardelo)
    if [ -n "$packages" ]; then
        "${inside[@]}" bash -c "cd '${tree#"$root"}' && source scripts/lib/packages.sh && install_packages $packages" ||
            return 1
    fi
    unshare --net --pid --mount --fork --kill-child --mount-proc="$root/proc" \
        sh -c 'ip link set lo up && exec "$@"' sh "${inside[@]}" bash -c "cd '${tree#"$root"}' && $*" || status=$?
    return "$status"
}
