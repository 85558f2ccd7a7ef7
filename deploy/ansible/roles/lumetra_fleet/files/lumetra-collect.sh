#!/usr/bin/env bash
# Gathers the results of a fleet round into one results store and writes one report comparing
# the hosts. Used by the Ansible role on the control node and by the Slurm collecting job.
#
# Usage: lumetra-collect.sh [--cli PROGRAM] [--profile NAME.rst] STORE REPORT RESULTS_DIR [NAME...]
#
# RESULTS_DIR holds one folder per host (or per node and array task) with the Results-*.json and
# Console-*.txt files fetched from it. Every Results-*.json there is imported (files already in
# the store are skipped by the program). A folder's run of this round is named by its "status"
# file: "ok FILE" names it, any other text says why the host has none (failed, unreachable,
# timed out). Without a status file the newest Results-*.json is the run.
# NAMEs are the folders expected; without them every folder is. The report holds one run per
# folder that has one and lists the others with their reason.
# Exit status: 0 report written with every folder, 3 report written but some are missing,
# 1 no report (no run at all, or the program failed).
set -uo pipefail
shopt -u patsub_replacement 2>/dev/null || true

cli=lumetra2-cli
profile=()
while [ $# -gt 0 ]; do
    case $1 in
        --cli) cli=$2; shift 2 ;;
        --profile) profile=(--profile "$2"); shift 2 ;;
        --) shift; break ;;
        -*) echo "lumetra-collect: unknown option $1" >&2; exit 1 ;;
        *) break ;;
    esac
done
if [ $# -lt 3 ]; then
    echo "usage: lumetra-collect.sh [--cli PROGRAM] [--profile NAME.rst] STORE REPORT RESULTS_DIR [NAME...]" >&2
    exit 1
fi
store=$1 report=$2
# Absolute, so that no file name can be taken for an option.
results=$(cd "$3" && pwd) || exit 1
shift 3
names=("$@")
if [ ${#names[@]} -eq 0 ]; then
    while IFS= read -r -d '' d; do names+=("${d##*/}"); done \
        < <(find "$results" -mindepth 1 -maxdepth 1 -type d -print0 | sort -z)
fi

files=()
while IFS= read -r -d '' f; do files+=("$f"); done \
    < <(find "$results" -mindepth 2 -maxdepth 2 -type f -name 'Results-*.json' -print0 | sort -z)
imported=$(mktemp)
trap 'rm -f "$imported"' EXIT
if [ ${#files[@]} -gt 0 ]; then
    "$cli" --store "$store" --import "${files[@]}" > "$imported"
    rc=$?
    cat "$imported"
    if [ $rc -gt 1 ]; then
        echo "lumetra-collect: importing into $store failed (exit status $rc)" >&2
        exit 1
    fi
fi

# The run id the import gave FILE ("FILE: imported as run N" or "... as run N, skipped").
run_id_of() {
    local line
    while IFS= read -r line; do
        case $line in
            "$1: "*)
                [[ $line =~ \ as\ run\ ([0-9]+) ]] && { echo "${BASH_REMATCH[1]}"; return; } ;;
        esac
    done < "$imported"
}

ids=() present=() missing=()
for name in "${names[@]}"; do
    dir=$results/$name
    if [ ! -d "$dir" ]; then
        missing+=("$name: no results")
        continue
    fi
    file=""
    if [ -f "$dir/status" ]; then
        status=$(head -n 1 "$dir/status")
        case $status in
            "ok "*) file=$dir/${status#ok } ;;
            *) missing+=("$name: ${status:-no status}"); continue ;;
        esac
    else
        newest=("$dir"/Results-*.json)
        [ -e "${newest[-1]}" ] && file=${newest[-1]}
    fi
    if [ -z "$file" ] || [ ! -f "$file" ]; then
        missing+=("$name: no results file")
        continue
    fi
    id=$(run_id_of "$file")
    if [ -z "$id" ]; then
        missing+=("$name: results file ${file##*/} refused by the import")
        continue
    fi
    ids+=("$id")
    present+=("$name")
done

if [ ${#ids[@]} -eq 0 ]; then
    echo "lumetra-collect: no host has a run to report" >&2
    for m in "${missing[@]}"; do echo "  missing: $m" >&2; done
    exit 1
fi
if ! "$cli" --store "$store" "${profile[@]}" --report "$report" "${ids[@]}"; then
    echo "lumetra-collect: the report could not be written" >&2
    exit 1
fi

html_escape() {
    local s=$1
    s=${s//&/&amp;} s=${s//</&lt;} s=${s//>/&gt;} s=${s//\"/&quot;} s=${s//\'/&#39;}
    printf '%s' "$s"
}

if [ ${#missing[@]} -gt 0 ]; then
    # The notice goes right after the opening body tag, so it is the first thing one reads.
    notice='<section class="fleet-missing"><h2>Missing hosts</h2><ul>'
    for m in "${missing[@]}"; do notice+="<li>$(html_escape "$m")</li>"; done
    notice+='</ul></section>'
    at=$(grep -abo '<body' "$report" | head -n 1 | cut -d: -f1)
    if [ -n "$at" ]; then
        rel=$(tail -c +$((at + 1)) "$report" | grep -abo '>' | head -n 1 | cut -d: -f1)
        at=$((at + rel + 1))
    else
        at=$(stat -c %s "$report")
    fi
    tmp=$(mktemp "$report.XXXXXX")
    { head -c "$at" "$report"; printf '%s' "$notice"; tail -c +$((at + 1)) "$report"; } > "$tmp" &&
        chmod 644 "$tmp" && mv "$tmp" "$report" || { rm -f "$tmp"; exit 1; }
fi

echo "Report: $report"
echo "Hosts in the report (${#present[@]}): ${present[*]}"
if [ ${#missing[@]} -gt 0 ]; then
    echo "Missing hosts (${#missing[@]}):"
    for m in "${missing[@]}"; do echo "  $m"; done
    exit 3
fi
exit 0
