#!/usr/bin/env bash
# The playbook against this machine over the local connection: a host that runs, a host whose
# run fails (its name full of shell metacharacters) and a host that never answers. Two rounds:
# the first installs the package, the second changes nothing and adds no run twice to the store.
# The package is removed at the end unless it was installed before.
# Usage: ansible_fleet.sh BUILD_DIR SOURCE_DIR
set -uo pipefail
build=$1 src=$2
if [ "$(id -u)" -ne 0 ]; then
    echo "SKIPPED: needs root (it installs a package / starts the cluster daemons)"
    exit 77
fi
tmp=$(mktemp -d)
preinstalled=false
dpkg-query -W -f='${Status}' lumetra2-cli 2>/dev/null | grep -q 'install ok installed' && preinstalled=true
cleanup() {
    $preinstalled || apt-get purge -y -q lumetra2-cli > /dev/null 2>&1
    rm -rf "$tmp"
}
trap cleanup EXIT
trap 'exit 1' INT TERM
status=0
fail() { echo "FAIL: $*"; status=1; }

(cd "$build" && cpack -G DEB -B "$tmp/deb" > "$tmp/cpack.log" 2>&1) || { cat "$tmp/cpack.log"; exit 1; }
deb=$(ls "$tmp"/deb/lumetra2-cli_*.deb)
odd="lab host; \$(touch INJECTED) & \"q\" 'x'"
cat > "$tmp/inventory.yml" <<INV
all:
  hosts:
    localhost:
      ansible_connection: local
      lumetra_workdir: $tmp/work-local
    '${odd//\'/\'\'}':
      ansible_connection: local
      lumetra_workdir: $tmp/work-odd
      lumetra_switches: ["-moldyn:no-such-deck.in"]
    unreachable.invalid:
      ansible_host: 127.0.0.1
      ansible_port: 1
  vars:
    ansible_python_interpreter: /usr/bin/python3
    lumetra_deb: $deb
    lumetra_become: false
    lumetra_repeat: 2
    lumetra_switches: ["-cipherbench"]
    lumetra_throttle: 1
    lumetra_timeout: 600
    lumetra_results_dir: $tmp/fleet-results
    lumetra_control_cli: /usr/bin/lumetra2-cli
INV
play() {
    (cd "$tmp" && ANSIBLE_HOST_KEY_CHECKING=false ANSIBLE_NOCOLOR=1 \
        ansible-playbook -i inventory.yml -e lumetra_serial=1 "$src/deploy/ansible/playbook.yml")
}

play > "$tmp/round1.log" 2>&1
rc=$?
cat "$tmp/round1.log"
results=$tmp/fleet-results
[ $rc -eq 2 ] || fail "round 1: exit status $rc, expected 2 (hosts missing)"
dpkg-query -W -f='${Status}' lumetra2-cli | grep -q 'install ok installed' || fail "package not installed"
ls "$results"/localhost/Results-*.json > /dev/null 2>&1 || fail "no results under fleet-results/localhost"
ls "$results"/localhost/Console-*.txt > /dev/null 2>&1 || fail "no console log under fleet-results/localhost"
grep -qx 'ok Results-.*\.json' "$results/localhost/status" || fail "localhost: $(cat "$results/localhost/status")"
grep -q 'failed: exit status 1' "$results/$odd/status" || fail "odd host not reported as failed"
grep -q '^unreachable' "$results/unreachable.invalid/status" || fail "unreachable host not reported"
report=$results/fleet-report.html
if [ -s "$report" ]; then
    grep -qF "$(hostname)" "$report" || fail "report does not name $(hostname)"
    grep -qF 'Missing hosts' "$report" || fail "report does not list the missing hosts"
    grep -qF 'unreachable.invalid: unreachable' "$report" || fail "report lacks the unreachable host"
    grep -qF "lab host; \$(touch INJECTED) &amp; &quot;q&quot; &#39;x&#39;: failed" "$report" ||
        fail "report lacks the failed host, escaped"
else
    fail "no report"
fi
[ -z "$(find "$tmp" "$src" / "$HOME" -maxdepth 1 -name INJECTED; find "$tmp" -name INJECTED)" ] || fail "a host name was run by a shell"

# Round 2: nothing to install, no run imported twice.
ANSIBLE_STDOUT_CALLBACK=json play > "$tmp/round2.json" 2> "$tmp/round2.err"
rc=$?
[ $rc -eq 2 ] || { cat "$tmp/round2.err"; fail "round 2: exit status $rc"; }
jq -r '.stats | to_entries[] | "\(.key) changed=\(.value.changed)"' "$tmp/round2.json" > "$tmp/changed"
cat "$tmp/changed"
grep -qv 'changed=0$' "$tmp/changed" && fail "round 2 changed something"
files=$(find "$results" -name 'Results-*.json' | wc -l)
runs=$(python3 -c 'import sqlite3,sys; print(sqlite3.connect(sys.argv[1]).execute("select count(*) from runs").fetchone()[0])' "$results/results.sqlite")
echo "results files: $files, runs in the store: $runs"
[ "$(ls "$results"/localhost/Results-*.json | wc -l)" -eq 2 ] || fail "localhost: not two results files"
[ "$runs" -eq "$files" ] || fail "store holds $runs runs for $files results files"
exit $status
