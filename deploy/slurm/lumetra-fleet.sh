#!/usr/bin/env bash
# Submits a benchmark round to Slurm: a job array with one exclusive task per node, then a job
# that starts when the whole array has ended (whatever its tasks' outcome) and collects the
# results into one store and one report.
#
# Usage: lumetra-fleet.sh --results DIR [--nodes N] [--partition NAME] [--nodelist LIST]
#            [--repeat N] [--prefix DIR] [--timeout SECONDS] [--store PATH] [--report PATH]
#            [--profile NAME.rst] [--] SWITCH...
#
#   --results DIR      shared folder, seen by every node, for this round's results (required)
#   --nodes N          number of array tasks (default: the size of --nodelist, else 1)
#   --partition NAME   partition of both jobs
#   --nodelist LIST    run only on these nodes (e.g. "node[01-04]"); the other nodes of the
#                      partition are excluded
#   --repeat N         lumetra2-cli --repeat count (default 1)
#   --prefix DIR       run DIR/bin/lumetra2-cli, a shared install prefix, instead of the
#                      installed package
#   --timeout SECONDS  end a task's run after this time (default: none)
#   --store PATH       results store (default DIR/results.sqlite)
#   --report PATH      report (default DIR/fleet-report.html)
#   --profile NAME     comparison profile shown in the report
#   SWITCH...          the suite's switches (default -runallbench)
# Prints the two job ids.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)

results="" nodes="" partition=() nodelist="" repeat=1 prefix=() limit=0 store="" report=""
profile=()
while [ $# -gt 0 ]; do
    case $1 in
        --results) results=$2 ;;
        --nodes) nodes=$2 ;;
        --partition) partition=(--partition "$2") ;;
        --nodelist) nodelist=$2 ;;
        --repeat) repeat=$2 ;;
        --prefix) prefix=(--prefix "$2") ;;
        --timeout) limit=$2 ;;
        --store) store=$2 ;;
        --report) report=$2 ;;
        --profile) profile=(--profile "$2") ;;
        --) shift; break ;;
        -*) [[ $1 == --* ]] && { echo "lumetra-fleet: unknown option $1" >&2; exit 2; }; break ;;
        *) break ;;
    esac
    shift 2
done
switches=("$@")
[ ${#switches[@]} -gt 0 ] || switches=(-runallbench)
if [ -z "$results" ]; then
    echo "lumetra-fleet: --results DIR (a folder every node sees) is needed" >&2
    exit 2
fi
mkdir -p "$results"
results=$(cd "$results" && pwd)
store=${store:-$results/results.sqlite}
report=${report:-$results/fleet-report.html}

place=()
if [ -n "$nodelist" ]; then
    mapfile -t wanted < <(scontrol show hostnames "$nodelist")
    nodes=${nodes:-${#wanted[@]}}
    # An array task cannot be pinned to one node of a list: keep the others out instead.
    mapfile -t all < <(sinfo -h -N -o '%N' "${partition[@]}" | sort -u)
    others=()
    for n in "${all[@]}"; do
        printf '%s\n' "${wanted[@]}" | grep -qxF -- "$n" || others+=("$n")
    done
    if [ ${#others[@]} -gt 0 ]; then
        place=(--exclude "$(IFS=,; echo "${others[*]}")")
    fi
fi
nodes=${nodes:-1}

cli=lumetra2-cli
[ ${#prefix[@]} -eq 0 ] || cli=${prefix[1]}/bin/lumetra2-cli
array=$(sbatch --parsable "${partition[@]}" "${place[@]}" --array="0-$((nodes - 1))" \
    --output="$results/slurm-%A_%a.out" "$here/lumetra-task.sbatch" \
    --results "$results" --repeat "$repeat" --timeout "$limit" "${prefix[@]}" -- "${switches[@]}")
array=${array%%;*}
collect=$(sbatch --parsable "${partition[@]}" --dependency="afterany:$array" \
    --output="$results/slurm-collect-%j.out" "$here/lumetra-collect.sbatch" \
    --collector "$here/../ansible/roles/lumetra_fleet/files/lumetra-collect.sh" --results "$results" --tasks "$nodes" \
    --store "$store" --report "$report" --cli "$cli" "${profile[@]}")
collect=${collect%%;*}
echo "benchmark array: job $array ($nodes tasks); collecting job: $collect"
echo "results: $results; report: $report"
