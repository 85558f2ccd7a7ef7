#!/usr/bin/env bash
# Lists the functions of a program that use instructions beyond the x86-64 base (AVX registers,
# VEX-coded instructions, SSE4, POPCNT, BMI, AES-NI) and fails when one of them is not a kernel
# of an instruction-set table. Such code would stop the program on an older processor.
# Usage: vector_code_check.sh <program>
set -euo pipefail

# The table kernels built for AVX, AVX2, FMA or AVX-512 (demangled names).
allowed='^(cipher::\(anonymous namespace\)::encrypt_ecb_bytes\(|md::pair_(forces|potential)_(avx2|plain_avx)\(|blas::\(anonymous namespace\)::full_tile_[sd]\(|stream::(copy|scale|add|triad)_(prefetch|block)_avx(512)?\()'

found=$(objdump -d --no-show-raw-insn -C "$1" | awk '
    /^[0-9a-f]+ <.*>:$/ { fn = substr($0, index($0, "<") + 1); sub(/>:$/, "", fn); next }
    /%[yz]mm|\tv[a-z0-9]+ |\t(round[sp][sd]|popcnt|pshufb|ptest|pblendvb|blendv|pmulld|crc32|lzcnt|tzcnt|andn|bextr|shrx|shlx|sarx|rorx|pdep|pext|aesenc|movbe) / {
        if (!(fn in seen)) { seen[fn] = 1; print fn }
    }')

status=0
while IFS= read -r fn; do
    [ -z "$fn" ] && continue
    if [[ "$fn" =~ $allowed ]]; then
        echo "kernel: $fn"
    else
        echo "beyond the x86-64 base outside a kernel table: $fn"
        status=1
    fi
done <<< "$found"
exit $status
