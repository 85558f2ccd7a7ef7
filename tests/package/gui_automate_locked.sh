#!/bin/sh
# The window program under -automate in a folder another program has locked: the refusal goes
# to standard error and the program ends with status 1, with no message box left waiting.
# Usage: gui_automate_locked.sh LUMETRA2 SOURCE_DIR
set -eu
gui=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -r "$2/data/MD" "$2/data/Input Files" "$2/data/Profiles" "$work/"
cd "$work"
exec 9> .lumetra2.lock
flock -n 9
rc=0
QT_QPA_PLATFORM=offscreen timeout 120 "$gui" -automate -cipherbench > out.txt 2> err.txt || rc=$?
cat err.txt
[ "$rc" -eq 1 ] || { echo "FAIL: status $rc (124: it waited, a box was shown)"; exit 1; }
grep -q '^lumetra2: ' err.txt || { echo "FAIL: no 'lumetra2: ' message on stderr"; exit 1; }
