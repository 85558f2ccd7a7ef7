#!/usr/bin/env bash
# Every test: the release build, its tests and the instruction-set tests on emulated
# processors; then the same tree built by clang (core and command line, warnings are errors),
# its tests and the style tools; then the address+undefined sanitizer build, then the threaded
# tests under the thread sanitizer. GUI tests run on a virtual X display.
set -euo pipefail
cd "$(dirname "$0")/.."

run_ctest() {
    # A private X server for the GUI tests; the offscreen platform where OpenGL is not needed.
    xvfb-run -a -s "-screen 0 1280x1024x24" ctest --preset "$1"
}

cmake --build --preset release
run_ctest release

# The kernel choices on processors without AVX (Nehalem), with AVX but not AVX2 (Sandy Bridge)
# and with AVX2 and FMA (Haswell), whatever this machine has.
for cpu in Nehalem SandyBridge Haswell; do
    for t in build/release/tests/isa/isa_*_tests; do
        echo "== $(basename "$t") on $cpu"
        qemu-x86_64 -cpu "$cpu" "$t" --gtest_brief=1
    done
done

cmake --preset clang
cmake --build --preset clang
ctest --preset clang
bash scripts/style.sh build/clang

cmake --preset asan
cmake --build --preset asan
run_ctest asan

cmake --preset tsan
cmake --build --preset tsan
run_ctest tsan
