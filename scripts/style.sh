#!/usr/bin/env bash
# The style tools over the tree: clang-format over every source file (any difference fails), then
# clang-tidy with the repo's .clang-tidy over the core (every folder that builds into the
# Qt-free library), reading the compile commands of the given build directory (a clang build:
# the GCC-only switches of the kernel files mean nothing to clang-tidy).
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${1:-build/clang}

# Every source folder but the build trees; new folders are picked up as they appear.
mapfile -d '' sources < <(find . -path ./build -prune -o -path './build-*' -prune -o \
    -path ./out -prune -o -type f \( -name '*.cpp' -o -name '*.h' -o -name '*.c' \) -print0)
clang-format --dry-run --Werror "${sources[@]}"

# The core: every folder whose CMakeLists.txt makes a subsystem library.
core=$(grep -l 'lumetra_subsystem(' */CMakeLists.txt | xargs -n1 dirname | paste -sd'|')
run-clang-tidy -quiet -j "$(nproc)" -p "$build_dir" "^$PWD/($core)/.*\.cpp\$"
