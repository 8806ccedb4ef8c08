# What the Windows build shares: its packages, where the Windows Qt is cached and how the project is
# cross-compiled against it.

# MinGW-w64 with posix threads, a Windows Qt built from Debian's own source (host tools from Debian's Qt),
# and wine with its own fonts on an X server to run what is built; xxd shows a wrong file's bytes.
WINDOWS_PACKAGES=(g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
    mingw-w64-x86-64-dev ninja-build cmake dpkg-dev qt6-base-dev qt6-base-dev-tools qt6-translations-l10n
    wine wine64 fonts-wine xvfb xauth x11-utils xdotool zip unzip xxd)

WINDOWS_QT_VERSION=6.4.2
WINDOWS_CACHE=${VARDELO_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/vardelo}
WINDOWS_QT=$WINDOWS_CACHE/qt-$WINDOWS_QT_VERSION-mingw64
WINDOWS_TOOLCHAIN=$PWD/cmake/mingw-w64-x86_64.cmake

# True when the Windows Qt is built and complete.
windows_qt_ready() {
    [ -f "$WINDOWS_QT/.complete" ]
}

# The folders that hold the DLLs a program built here needs: Qt's, and MinGW's runtime.
windows_dll_dirs() {
    echo "$WINDOWS_QT/bin"
    dirname "$(x86_64-w64-mingw32-g++-posix -print-file-name=libstdc++-6.dll)"
    echo /usr/x86_64-w64-mingw32/lib
}

# Configures and builds the project for Windows: build_windows <folder> [cmake options...]
build_windows() {
    local dir=$1
    shift
    cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DCMAKE_TOOLCHAIN_FILE="$WINDOWS_TOOLCHAIN" -DVARDELO_WINDOWS_QT="$WINDOWS_QT" \
        -DCMAKE_PREFIX_PATH="$WINDOWS_QT" -DQT_HOST_PATH=/usr \
        -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
        -DCMAKE_CROSSCOMPILING_EMULATOR="$PWD/scripts/lib/on-wine" \
        -DVARDELO_QT_TRANSLATIONS=/usr/share/qt6/translations "$@"
    cmake --build "$dir" -j"$(nproc)"
}
