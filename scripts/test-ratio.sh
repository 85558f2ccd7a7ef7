#!/usr/bin/env bash
# The size of the tests against the size of the code: every file under tests/ (as wc -l counts
# lines) against the .cpp and .h files of the code folders. bench/ and fuzz/ count as neither.
set -euo pipefail
cd "$(dirname "$0")/.."

count_lines() {
    # Sums wc -l over the files named on standard input (NUL-separated); 0 when there are none.
    xargs -0 -r cat -- | wc -l
}

test_lines=$(find tests -type f -print0 | count_lines)

folders=()
for dir in app md atom membench stream blas cipher suite ui cli store report; do
    [[ -d $dir ]] && folders+=("$dir")
done
code_lines=$(find "${folders[@]}" -type f \( -name '*.cpp' -o -name '*.h' \) -print0 | count_lines)

echo "test lines: $test_lines (tests/)"
echo "code lines: $code_lines (${folders[*]})"
awk -v t="$test_lines" -v c="$code_lines" 'BEGIN { printf "ratio: %.1f%%\n", 100 * t / c }'
