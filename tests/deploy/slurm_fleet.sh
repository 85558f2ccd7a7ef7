#!/usr/bin/env bash
# The Slurm recipe on a one-node cluster started here: munged with its own key and socket,
# slurmctld and slurmd on this machine from a generated slurm.conf (no cgroups, no systemd),
# the program from an install prefix. A 2-task array, then the collecting job; afterwards the
# collector again over a copy with a truncated results file and a task that left nothing.
# Usage: slurm_fleet.sh BUILD_DIR SOURCE_DIR
set -uo pipefail
build=$1 src=$2
if [ "$(id -u)" -ne 0 ]; then
    echo "SKIPPED: needs root (it installs a package / starts the cluster daemons)"
    exit 77
fi
tmp=$(mktemp -d)
# munged wants every folder above its socket searchable by all.
chmod 755 "$tmp"
stop() {
    [ -s "$tmp/slurmctld.pid" ] && scancel --quiet --user=root 2> /dev/null
    local pids=() p
    for p in slurmd slurmctld munged; do [ -s "$tmp/$p.pid" ] && pids+=("$(cat "$tmp/$p.pid")"); done
    [ ${#pids[@]} -gt 0 ] && kill "${pids[@]}" 2> /dev/null
    # A daemon that has not ended after 10 s is ended for good.
    for _ in $(seq 20); do kill -0 "${pids[@]}" 2> /dev/null || break; sleep 0.5; done
    [ ${#pids[@]} -gt 0 ] && kill -KILL "${pids[@]}" 2> /dev/null
    rm -rf "$tmp"
}
trap stop EXIT
trap 'exit 1' INT TERM
status=0
fail() { echo "FAIL: $*"; status=1; }
# Two free ports, for slurmctld and slurmd.
read -r ctld_port slurmd_port < <(python3 -c 'import socket
s = [socket.socket() for _ in range(2)]
for x in s: x.bind(("127.0.0.1", 0))
print(*[x.getsockname()[1] for x in s])')

cmake --install "$build" --prefix "$tmp/prefix" --component cli > /dev/null || exit 1
dd if=/dev/urandom of="$tmp/munge.key" bs=1024 count=1 2> /dev/null
chmod 400 "$tmp/munge.key"
munged --key-file="$tmp/munge.key" --socket="$tmp/munge.socket" --pid-file="$tmp/munged.pid" \
    --log-file="$tmp/munged.log" --seed-file="$tmp/munged.seed" || { echo "munged did not start"; exit 1; }

node=$(hostname -s)
mkdir -p "$tmp/state" "$tmp/spool"
: > "$tmp/plugstack.conf"
cat > "$tmp/slurm.conf" <<CONF
ClusterName=lumetra-test
SlurmctldHost=$node(127.0.0.1)
SlurmctldPort=$ctld_port
SlurmdPort=$slurmd_port
AuthType=auth/munge
AuthInfo=socket=$tmp/munge.socket
CredType=cred/munge
SlurmUser=root
SlurmdUser=root
StateSaveLocation=$tmp/state
SlurmdSpoolDir=$tmp/spool
SlurmctldPidFile=$tmp/slurmctld.pid
SlurmdPidFile=$tmp/slurmd.pid
SlurmctldLogFile=$tmp/slurmctld.log
SlurmdLogFile=$tmp/slurmd.log
PlugStackConfig=$tmp/plugstack.conf
ProctrackType=proctrack/linuxproc
TaskPlugin=task/none
JobAcctGatherType=jobacct_gather/none
AccountingStorageType=accounting_storage/none
SwitchType=switch/none
MpiDefault=none
MailProg=/bin/true
SelectType=select/cons_tres
SelectTypeParameters=CR_Core
ReturnToService=2
NodeName=$node NodeAddr=127.0.0.1 CPUs=$(nproc) State=UNKNOWN
PartitionName=bench Nodes=$node Default=YES MaxTime=INFINITE State=UP
CONF
export SLURM_CONF=$tmp/slurm.conf
slurmctld -f "$SLURM_CONF" || { tail "$tmp/slurmctld.log"; exit 1; }
slurmd -f "$SLURM_CONF" -N "$node" || { tail "$tmp/slurmd.log"; exit 1; }
for _ in $(seq 30); do sinfo -h -o %t 2> /dev/null | grep -qx idle && break; sleep 1; done
sinfo

results=$tmp/shared/round
bash "$src/deploy/slurm/lumetra-fleet.sh" --results "$results" --nodes 2 --partition bench \
    --nodelist "$node" --prefix "$tmp/prefix" --repeat 1 --timeout 600 -- -cipherbench \
    | tee "$tmp/submit.out"
collect=$(sed -n 's/.*collecting job: \([0-9]*\).*/\1/p' "$tmp/submit.out")
[ -n "$collect" ] || { fail "no jobs submitted"; exit 1; }
for _ in $(seq 600); do
    [ -z "$(squeue -h 2> /dev/null)" ] && break
    sleep 1
done
cat "$results"/slurm-collect-*.out
for i in 0 1; do
    d=$results/${node}_$i
    grep -qx 'ok Results-.*\.json' "$d/status" 2> /dev/null || fail "task $i: $(cat "$d/status" 2>&1)"
    ls "$d"/Results-*.json "$d"/Console-*.txt > /dev/null || fail "task $i: results missing"
done
report=$results/fleet-report.html
[ -s "$report" ] || fail "no report"
grep -qF "$node" "$report" || fail "report does not name $node"
grep -q "Hosts in the report (2): ${node}_0 ${node}_1" "$results"/slurm-collect-*.out ||
    fail "collecting job did not report both tasks"

# A truncated results file and a task that left nothing: both listed, the rest reported.
copy=$tmp/shared/damaged
cp -r "$results" "$copy"
f=$(ls "$copy/${node}_1"/Results-*.json)
head -c 200 "$f" > "$f.part" && mv "$f.part" "$f"
bash "$src/deploy/slurm/lumetra-collect.sbatch" \
    --collector "$src/deploy/ansible/roles/lumetra_fleet/files/lumetra-collect.sh" \
    --results "$copy" --tasks 3 --store "$tmp/damaged.sqlite" --report "$copy/report.html" \
    --cli "$tmp/prefix/bin/lumetra2-cli" > "$tmp/damaged.out" 2>&1
rc=$?
cat "$tmp/damaged.out"
[ $rc -eq 3 ] || fail "collector: exit status $rc with hosts missing, expected 3"
grep -qF "${node}_1: results file $(basename "$f") refused by the import" "$tmp/damaged.out" ||
    fail "truncated file not reported"
grep -qF "task 2: no results" "$copy/report.html" || fail "report does not list the missing task"
exit $status
