# What runs a program as the unprivileged user that headless compositors run as (they refuse root): under
# root, nobody. DESKTOP_USER holds the command prefix; stage_for_desktop_user makes a program of the build,
# the companions it starts and the leak checker's suppressions reachable by that user.

DESKTOP_USER=()
[ "$(id -u)" -ne 0 ] || DESKTOP_USER=(setpriv --reuid=nobody --regid=nogroup --clear-groups)

# Whether that user may read the file and enter its folder.
desktop_user_reaches() {
    "${DESKTOP_USER[@]}" test -r "$1" -a -x "$(dirname "$1")"
}

# stage_for_desktop_user <scratch folder> <program> [companion...]: a build in a folder that only root may
# enter (such as /root, or one made by mktemp -d) is out of that user's reach, so the program and its
# companions (other programs of the build that it finds in its own folder) are copied into the scratch
# folder, and LSAN_OPTIONS names a copy of its suppressions there. Sets STAGED_PROGRAM to what to run.
stage_for_desktop_user() {
    local scratch=$1 program=$2
    shift 2
    STAGED_PROGRAM=$program
    if desktop_user_reaches "$program" && { [ $# -eq 0 ] || desktop_user_reaches "$1"; }; then
        return 0
    fi
    chmod 755 "$scratch"
    cp "$program" "$@" "$scratch/"
    STAGED_PROGRAM="$scratch/$(basename "$program")"
    if [[ "${LSAN_OPTIONS:-}" =~ suppressions=([^:]*) ]] && ! desktop_user_reaches "${BASH_REMATCH[1]}"; then
        cp "${BASH_REMATCH[1]}" "$scratch/lsan.supp"
        LSAN_OPTIONS=${LSAN_OPTIONS/"${BASH_REMATCH[1]}"/"$scratch/lsan.supp"}
    fi
}
