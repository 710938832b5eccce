#!/bin/bash
# Times one content search of tanmira-cli with 1, 2 and all the machine's threads, and one pinned
# to a single core (taskset -c 0), against ripgrep with as many threads, in one hyperfine run, so
# that a machine with more cores shows how the read-ahead workers scale. Beside them,
# tanmira-read-bench reads the corpus's files as the search does, with no walk and no scan, on as
# many threads: how far reading alone scales on this machine. Prints hyperfine's table and its
# ratios.
#
#   bench/cores.sh [CORPUS [KEYWORD]]   (default /usr/include, "mutex")
#   RUNS         runs per command (default 10, after one warm-up run)
#   TANMIRA_CLI  the tanmira-cli binary (default: build/app/cli/tanmira-cli)
set -euo pipefail

corpus=${1:-/usr/include}
keyword=${2:-mutex}
runs=${RUNS:-10}
root=$(cd "$(dirname "$0")/.." && pwd)
cli=${TANMIRA_CLI:-$root/build/app/cli/tanmira-cli}
reader=$(dirname "$cli")/../../bench/tanmira-read-bench

[[ -d $corpus ]] || { echo "cores.sh: no such folder: $corpus" >&2; exit 1; }
[[ -x $cli ]] || { echo "cores.sh: tanmira-cli not found: build it or set TANMIRA_CLI" >&2; exit 1; }
[[ -x $reader ]] || { echo "cores.sh: $reader not found: build the bench programs" >&2; exit 1; }
"$root/bench/ensure-packages" hyperfine ripgrep

all=$(nproc)
list=$(mktemp)
trap 'rm -f "$list"' EXIT
find -L "$corpus" -type f -print0 >"$list" 2>/dev/null || true
search=(--subfolders --content "$keyword" --encoding utf-8 --full-paths --all-extensions "$corpus")
rg=(rg -l -i -F -L -uu "$keyword" "$corpus")
quoted() { printf '%q ' "$@"; }
commands=(-n "tanmira 1 core" "taskset -c 0 $(quoted "$cli" "${search[@]}")"
          -n "rg 1 core" "taskset -c 0 $(quoted "${rg[@]}" -j1)"
          -n "read only 1 core" "taskset -c 0 $(quoted "$reader" 1 "$list")")
for threads in $(printf '%s\n' 1 2 "$all" | sort -nu); do
    commands+=(-n "tanmira --threads $threads" "$(quoted "$cli" --threads "$threads" "${search[@]}")"
               -n "rg -j$threads" "$(quoted "${rg[@]}" -j"$threads")"
               -n "read only, $threads threads" "$(quoted "$reader" "$threads" "$list")")
done
echo "== $all cores; load average: $(cut -d' ' -f1-3 /proc/loadavg)"
hyperfine -N --output=pipe --warmup 1 --runs "$runs" "${commands[@]}"
