# Configures and builds the project in a build folder: build_project <folder> [cmake options...]
build_project() {
    local dir=$1
    shift
    cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
    cmake --build "$dir" -j"$(nproc)"
}

# Configures the project and builds the program alone, without the tests and the benchmark: build_program <folder>
build_program() {
    local dir=$1
    cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo
    cmake --build "$dir" -j"$(nproc)" --target vardelo
}
