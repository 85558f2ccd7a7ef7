#!/usr/bin/env bash
# Measures the project's figures against peer programs in interleaved rounds and prints one
# table: figure, cache or memory level measured, project, peer, ratio min / median / max over
# the rounds, and the load average seen. Project and peer run back to back in every round, the
# order alternating from round to round, so drift on a shared machine hits both sides alike.
#
#   scripts/compare-peers.sh [--rounds N] [--noisy] [--preset NAME] [--only GROUPS]
#
# GROUPS is a comma-separated choice of copy16, copy128, stream, latency, gemm, cipher, md,
# orbitra (all by default). It refuses to report while the 1-minute load average exceeds the core count,
# unless told --noisy. With LUMETRA_MEASURE_LOCK naming a file, each round takes an exclusive
# flock on it (and the build a shared one), so measurements do not overlap with other work
# that honours the same lock.
set -euo pipefail

rounds=5
noisy=0
preset=release
only=copy16,copy128,stream,latency,gemm,cipher,md,orbitra
usage() { sed -n '2,14p' "$0" | sed 's/^# \{0,1\}//'; }
while [[ $# -gt 0 ]]; do
    case $1 in
        --rounds) rounds=${2:?--rounds needs a count}; shift 2 ;;
        --rounds=*) rounds=${1#*=}; shift ;;
        --noisy) noisy=1; shift ;;
        --preset) preset=${2:?--preset needs a name}; shift 2 ;;
        --only) only=${2:?--only needs groups}; shift 2 ;;
        --help|-h) usage; exit 0 ;;
        *) echo "compare-peers.sh: unknown argument '$1' (try --help)" >&2; exit 2 ;;
    esac
done
[[ $rounds =~ ^[1-9][0-9]*$ ]] || { echo "compare-peers.sh: --rounds needs a whole number" >&2; exit 2; }
wants() { [[ ,$only, == *,$1,* ]]; }

root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build/$preset
peers=$build/bench/peers
lock=${LUMETRA_MEASURE_LOCK:-}
cores=$(nproc)
load1() { cut -d' ' -f1 /proc/loadavg; }
busy() { awk -v l="$(load1)" -v c="$cores" 'BEGIN { exit !(l > c) }'; }
refuse() {
    echo "compare-peers.sh: the load average ($(load1)) exceeds the $cores cores: figures" \
        "would measure the other work. Run on an idle machine, or pass --noisy." >&2
    exit 3
}
if busy && [[ $noisy == 0 ]]; then refuse; fi

# The exclusive hold is per round: the other work that honours the lock gets its turn between.
if [[ -n $lock ]]; then exec 9>>"$lock"; fi
hold() { if [[ -n $lock ]]; then flock -x 9; fi; }
release() { if [[ -n $lock ]]; then flock -u 9; fi; }

# --- Build --------------------------------------------------------------------------------
targets=(lumetra2-cli copy_peer chase_peer stream_peer stream_peer_nt project_figures)
if wants gemm; then targets+=(gemm_peer); fi
if wants cipher; then targets+=(aes_peer); fi
if wants md; then targets+=(md_peer); fi
if wants orbitra; then targets+=(atom_peer); fi
(
    cd "$root"
    [[ -f $build/build.ninja ]] || cmake --preset "$preset" >/dev/null
    if [[ -n $lock ]]; then flock -s 9; fi
    cmake --build --preset "$preset" --target "${targets[@]}" >/dev/null
) || { echo "compare-peers.sh: the build failed" >&2; exit 1; }
cli=$build/cli/lumetra2-cli

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
samples=$work/samples  # figure <TAB> project <TAB> peer <TAB> load
levels=$work/levels    # figure <TAB> level <TAB> better (higher|lower)

# --- Cache levels -------------------------------------------------------------------------
cache_bytes() {  # the largest data or unified cache of a level on cpu0, in bytes (0: none)
    local best=0 d size
    for d in /sys/devices/system/cpu/cpu0/cache/index*; do
        [[ $(cat "$d/level" 2>/dev/null) == "$1" && $(cat "$d/type") != Instruction ]] || continue
        size=$(cat "$d/size")
        case $size in *K) size=$((${size%K} * 1024)) ;; *M) size=$((${size%M} * 1048576)) ;; esac
        if ((size > best)); then best=$size; fi
    done
    echo "$best"
}
l1=$(cache_bytes 1) l2=$(cache_bytes 2) l3=$(cache_bytes 3)
level_of() {  # the level a footprint of $1 bytes lives in
    if ((l1 > 0 && $1 <= l1)); then echo L1
    elif ((l2 > 0 && $1 <= l2)); then echo L2
    elif ((l3 > 0 && $1 <= l3)); then echo "L3 ($((l3 >> 20)) MiB)"
    else echo memory; fi
}
describe() { printf '%s\t%s\t%s\n' "$1" "$2" "$3" >>"$levels"; }
sample() { printf '%s\t%s\t%s\t%s\n' "$1" "$2" "$3" "$(load1)" >>"$samples"; }

# --- The figures --------------------------------------------------------------------------
nt_tunable=glibc.cpu.x86_non_temporal_threshold=4194304
mib16=16777216 mib128=134217728

# One run of the command-line program with the given switches; prints its results file.
cli_results() {
    local out=$work/cli
    rm -rf "$out" && mkdir -p "$out/data"
    cp -r "$root/data/MD" "$root/data/Input Files" "$out/"
    (cd "$out" && XDG_DATA_HOME=$out/data "$cli" --quiet --no-store --output-dir "$out" "$@" \
        >/dev/null 2>&1) || { echo "compare-peers.sh: lumetra2-cli $* failed" >&2; return 1; }
    ls "$out"/Results-*.json
}

# The command-line program's memory run: its 16 MiB copy and random-access latency rows.
cli_memory() {
    local file
    file=$(cli_results -membench) || return 1
    python3 - "$file" <<'EOF'
import json, sys
m = json.load(open(sys.argv[1]))["memory"]
print("copy16", m["bandwidth_mbs"])
for row in m.get("random_latency", []):
    print("chase%d" % row["bytes"], row["ns"], row.get("page_bytes", 4096),
          row.get("spread_percent", -1))
EOF
}

# The 16 MiB copy and the random-access latencies, from one memory run of the command-line
# program, against glibc memcpy and the chase peer (small pages and transparent huge pages).
chase_sizes=(262144 8388608 67108864)
round_memory() {
    local first=$1 p m n size mode ns pages spread
    declare -A q
    peer() {
        m=$("$peers/copy_peer" memcpy $mib16 100 | cut -d' ' -f1)
        n=$(GLIBC_TUNABLES=$nt_tunable "$peers/copy_peer" memcpy $mib16 100 | cut -d' ' -f1)
        for size in "${chase_sizes[@]}"; do
            for mode in small huge; do
                q[$size$mode]=$("$peers/chase_peer" "$size" 3 "$mode" | cut -d' ' -f1)
            done
        done
    }
    project() { p=$(cli_memory) || exit 1; }
    if [[ $first == project ]]; then project; peer; else peer; project; fi
    if wants copy16; then
        local lv copy
        lv=$(level_of $((2 * mib16)))
        copy=$(awk '$1=="copy16"{print $2}' <<<"$p")
        describe "Copy 16 MiB, best method vs glibc memcpy" "$lv" higher
        describe "Copy 16 MiB, best method vs memcpy, NT from 4 MiB" "$lv" higher
        sample "Copy 16 MiB, best method vs glibc memcpy" "$copy" "$m"
        sample "Copy 16 MiB, best method vs memcpy, NT from 4 MiB" "$copy" "$n"
    fi
    wants latency || return 0
    for size in "${chase_sizes[@]}"; do
        read -r _ ns pages spread < <(awk -v k="chase$size" '$1==k' <<<"$p") || continue
        local same=small other=huge kib=$((size >> 10))
        if ((pages > 4096)); then same=huge other=small; fi
        local name="Random latency $kib KiB ($((pages >> 10)) KiB pages), ns"
        describe "$name vs chase" "$(level_of "$size")" lower
        describe "$name vs chase, $other pages" "$(level_of "$size")" lower
        sample "$name vs chase" "$ns" "${q[$size$same]}"
        sample "$name vs chase, $other pages" "$ns" "${q[$size$other]}"
        echo "$spread" >>"$work/spread$size"
    done
}

round_copy128() {
    local first=$1 p m n b w
    local lv
    lv=$(level_of $((2 * mib128)))
    describe "Copy 128 MiB, best method vs glibc memcpy" "$lv" higher
    describe "Copy 128 MiB, best method vs memcpy, NT from 4 MiB" "$lv" higher
    describe "Copy 128 MiB, best method vs best 1-thread copy" "$lv" higher
    describe "Copy 128 MiB, best method vs 16-byte NT stores" "$lv" higher
    project() { p=$("$peers/project_figures" copy $mib128 10); }
    peer() {
        m=$("$peers/copy_peer" memcpy $mib128 10 | cut -d' ' -f1)
        w=$("$peers/copy_peer" nt128 $mib128 10 | cut -d' ' -f1)
        n=$(GLIBC_TUNABLES=$nt_tunable "$peers/copy_peer" memcpy $mib128 10 | cut -d' ' -f1)
        b=$(GLIBC_TUNABLES=$nt_tunable "$peers/copy_peer" best $mib128 10)
    }
    if [[ $first == project ]]; then project; peer; else peer; project; fi
    sample "Copy 128 MiB, best method vs glibc memcpy" "${p%% *}" "$m"
    sample "Copy 128 MiB, best method vs memcpy, NT from 4 MiB" "${p%% *}" "$n"
    sample "Copy 128 MiB, best method vs best 1-thread copy" "${p%% *}" "${b%% *}"
    sample "Copy 128 MiB, best method vs 16-byte NT stores" "${p%% *}" "$w"
    echo "${p#* }" >>"$work/method128"
    echo "${b#* }" >>"$work/peer128"
}

round_stream() {
    local first=$1 p w s threads n k
    project() { p=$("$peers/project_figures" stream) || { echo "compare-peers.sh: the STREAM run failed" >&2; exit 1; }; }
    peer() {
        threads=$("$peers/project_figures" threads)
        n=$((2000000 * threads))
        w=$(OMP_NUM_THREADS=$threads OMP_PROC_BIND=spread "$peers/stream_peer" $n)
        s=$(OMP_NUM_THREADS=$threads OMP_PROC_BIND=spread "$peers/stream_peer_nt" $n)
    }
    if [[ $first == project ]]; then project; peer; else peer; project; fi
    local names=(Copy Scale Add Triad)
    for k in 0 1 2 3; do
        local lv
        lv=$(level_of $((24 * n)))
        describe "STREAM ${names[k]}, $threads threads vs stream.c-style" "$lv" higher
        describe "STREAM ${names[k]}, $threads threads vs streaming stores" "$lv" higher
        sample "STREAM ${names[k]}, $threads threads vs stream.c-style" \
            "$(cut -d' ' -f$((k + 1)) <<<"$p")" "$(cut -d' ' -f$((k + 1)) <<<"$w")"
        sample "STREAM ${names[k]}, $threads threads vs streaming stores" \
            "$(cut -d' ' -f$((k + 1)) <<<"$p")" "$(cut -d' ' -f$((k + 1)) <<<"$s")"
    done
}

# GEMM: the command-line program's peak figures against one-thread OpenBLAS at the same order.
round_gemm() {
    local first=$1 p file prec
    declare -A q
    project() {
        file=$(cli_results -sgemm -dgemm) || exit 1
        p=$(python3 -c 'import json, sys
r = json.load(open(sys.argv[1]))
for k in ("sgemm", "dgemm"):
    print(k, r[k]["peak_size"], r[k]["peak_mflops"])' "$file")
    }
    peer() {
        for prec in sgemm dgemm; do
            q[$prec]=$(OPENBLAS_NUM_THREADS=1 "$peers/gemm_peer" "${prec:0:1}" "${gemm_size[$prec]}" 3)
        done
    }
    # The peak orders come from the first project run; the peer needs them before it runs.
    if [[ $first == project || -z ${gemm_size[sgemm]:-} ]]; then
        project
        while read -r prec size _; do gemm_size[$prec]=$size; done <<<"$p"
        peer
    else
        peer
        project
    fi
    while read -r prec size mflops; do
        local name="${prec^^} peak (order $size), MFLOPS vs OpenBLAS 1 thread"
        describe "$name" compute higher
        sample "$name" "$mflops" "${q[$prec]}"
    done <<<"$p"
}
declare -A gemm_size

# The cipher: the whole benchmark pass against OpenSSL's EVP AES-128 ECB without AES-NI
# (its constant-time vector-permute AES) and without SSSE3 as well (its table AES).
round_cipher() {
    local first=$1 p v t file
    project() {
        file=$(cli_results -cipherbench) || exit 1
        p=$(python3 -c 'import json, sys
print(json.load(open(sys.argv[1]))["cipher"]["rate_mbs"])' "$file")
    }
    peer() {
        v=$(OPENSSL_ia32cap='~0x200000200000000' "$peers/aes_peer")
        t=$(OPENSSL_ia32cap='~0x200020200000000' "$peers/aes_peer")
    }
    if [[ $first == project ]]; then project; peer; else peer; project; fi
    describe "AES-128 whole pass vs OpenSSL, AES-NI masked" compute higher
    describe "AES-128 whole pass vs OpenSSL, AES-NI+SSSE3 masked" compute higher
    sample "AES-128 whole pass vs OpenSSL, AES-NI masked" "$p" "$v"
    sample "AES-128 whole pass vs OpenSSL, AES-NI+SSSE3 masked" "$p" "$t"
}

# MD and Orbitra: the benchmark's time on its default deck against an independent program of
# the same calculation (bench/md, bench/atom), which must end with the same energies.
round_timed() {
    local first=$1 group=$2 switch=$3 program=$4 label=$5 p q file
    project() {
        file=$(cli_results "$switch") || exit 1
        p=$(python3 -c 'import json, sys
print(json.load(open(sys.argv[1]))[sys.argv[2]]["headline"]["value"])' "$file" "$group")
    }
    peer() {
        q=$(cd "$root/data" && "$build/bench/$program") || {
            echo "compare-peers.sh: $program failed" >&2
            exit 1
        }
        q=$(awk '$1 == "time_s" { print $2 }' <<<"$q")
    }
    if [[ $first == project ]]; then project; peer; else peer; project; fi
    describe "$label, s vs an independent program" compute lower
    sample "$label, s vs an independent program" "$p" "$q"
}

for ((r = 1; r <= rounds; ++r)); do
    first=project
    if ((r % 2 == 0)); then first=peer; fi
    echo "compare-peers.sh: round $r of $rounds ($first first), load $(load1)" >&2
    hold
    if wants copy16 || wants latency; then round_memory $first; fi
    if wants copy128; then round_copy128 $first; fi
    if wants stream; then round_stream $first; fi
    if wants gemm; then round_gemm $first; fi
    if wants cipher; then round_cipher $first; fi
    if wants md; then round_timed $first md -moldyn md/md_peer "MD Argon-Helium deck, time"; fi
    if wants orbitra; then
        round_timed $first orbitra -orbitra atom/atom_peer "Orbitra Ag, time"
    fi
    release
done
if busy && [[ $noisy == 0 ]]; then refuse; fi

# --- The table ----------------------------------------------------------------------------
echo "Peers: glibc memcpy as built, and with glibc.cpu.x86_non_temporal_threshold=4 MiB (its"
echo "default switches to non-temporal stores far above these sizes), and against a copy with"
echo "16-byte non-temporal stores, the width of the project's SSE2 copy methods; STREAM against plain"
echo "stores (write-allocate) and against streaming stores; random latency against a chase of"
echo "its own, at the project's page size and at the other. Ratio = project / peer; lower is"
echo "better for ns. Level: the smallest cache the footprint fits in (source plus destination for"
echo "a copy, all arrays for STREAM); on a virtual machine the L3 is shared with other guests."
echo "MD and Orbitra: time against independent programs of the same calculation (bench/md, bench/atom)."
echo "Medians of $rounds interleaved rounds; $cores cores, caches L1 $((l1 >> 10)) KiB," \
    "L2 $((l2 >> 10)) KiB, L3 $((l3 >> 20)) MiB."
python3 - "$samples" "$levels" <<'EOF'
import statistics, sys
levels = {}
for line in open(sys.argv[2]):
    name, level, better = line.rstrip("\n").split("\t")
    levels[name] = (level, better)
rows = {}
for line in open(sys.argv[1]):
    name, p, q, load = line.rstrip("\n").split("\t")
    try:
        rows.setdefault(name, []).append((float(p), float(q), float(load)))
    except ValueError:
        pass
fmt = "{:<66} {:<12} {:>10} {:>10}  {:<20} {}"
print(fmt.format("figure", "level", "project", "peer", "ratio min/med/max", "load"))
for name, s in rows.items():
    ratios = sorted(p / q for p, q, _ in s if q > 0)
    if not ratios:
        continue
    loads = [l for _, _, l in s]
    level, better = levels.get(name, ("?", "higher"))
    print(fmt.format(name, level, "%.1f" % statistics.median(p for p, _, _ in s),
                     "%.1f" % statistics.median(q for _, q, _ in s),
                     "%.2f/%.2f/%.2f" % (ratios[0], statistics.median(ratios), ratios[-1]),
                     "%.1f-%.1f" % (min(loads), max(loads))))
EOF
if [[ -s $work/method128 ]]; then
    echo "128 MiB: the project's best method per round: $(sort "$work/method128" | uniq -c | tr -s ' ' | paste -sd,)"
    echo "128 MiB: the best 1-thread peer copy per round: $(sort "$work/peer128" | uniq -c | tr -s ' ' | paste -sd,)"
fi
for size in 262144 8388608 67108864; do
    [[ -s $work/spread$size ]] || continue
    echo "Random latency $((size >> 10)) KiB: spread of the project's repeats per round (%):" \
        "$(paste -sd' ' "$work/spread$size")"
done
