#!/bin/sh
# Builds the Debian packages after a (simulated) suite run in data/ and checks what they hold:
# the shipped decks and profiles only, never what a run leaves behind, plus the copyright file,
# changelog and compressed manual pages every package needs.
# Usage: package_contents.sh BUILD_DIR SOURCE_DIR
set -eu
build=$1
data=$2/data
out=$(mktemp -d)
made=""
cleanup() {
    for f in $made; do rm -f "$data/$f"; done
    rm -rf "$out"
}
trap cleanup EXIT INT TERM
# What a suite run and a saved profile leave in the working folder.
for f in .lumetra2.lock .lumetra2-seeded Console-12-7-2026-2-11-15.txt \
         Results-12-7-2026-2-11-15.json Results-2026-12-07T02-11-15Z.json MD.out Orbitra.out \
         radgridpositions AtomStartPositions.xmol MDmovie.xmol MDSim.xmol MDSim.sca \
         Profiles/Saved-By-User.rst; do
    if [ ! -e "$data/$f" ]; then
        echo "run output" > "$data/$f"
        made="$made $f"
    fi
done

(cd "$build" && cpack -G DEB -B "$out" > "$out/cpack.log" 2>&1) || { cat "$out/cpack.log"; exit 1; }
status=0
fail() { echo "FAIL: $*"; status=1; }
[ -n "$(ls "$out"/lumetra2-cli_*.deb 2>/dev/null)" ] || fail "no lumetra2-cli package"
for deb in "$out"/*.deb; do
    pkg=$(dpkg-deb -f "$deb" Package)
    # Paths may hold spaces ("Input Files"): drop the five columns before them.
    dpkg-deb -c "$deb" | sed -E 's|^([^ ]+ +){5}\./||' | grep -v '/$' > "$out/$pkg.list"
    for need in "usr/share/doc/$pkg/copyright" "usr/share/doc/$pkg/changelog.Debian.gz"; do
        grep -qxF "$need" "$out/$pkg.list" || fail "$pkg: no $need"
    done
    # Shipped data only: decks (*.in) and the project's profiles, nothing a user or a run made.
    while IFS= read -r f; do
        case "$f" in
            */Saved-By-User.rst) fail "$pkg: ships $f" ;;
            usr/share/lumetra2/MD/*.in | "usr/share/lumetra2/Input Files/"*.in) ;;
            usr/share/lumetra2/Profiles/*.rst) ;;
            usr/share/lumetra2/*) fail "$pkg: ships $f" ;;
            usr/share/man/*.gz) ;;
            usr/share/man/*) fail "$pkg: $f is not compressed" ;;
        esac
    done < "$out/$pkg.list"
    echo "$pkg: $(wc -l < "$out/$pkg.list") files"
done
for need in usr/bin/lumetra2-cli usr/share/lumetra2/Profiles/Reference.rst \
            usr/share/lumetra2/MD/Argon-Helium.in "usr/share/lumetra2/Input Files/Ag.in"; do
    grep -qxF "$need" "$out/lumetra2-cli.list" || fail "lumetra2-cli: no $need"
done
exit $status
