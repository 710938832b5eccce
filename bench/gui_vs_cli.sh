#!/bin/bash
# Compares one search run in the main window (tanmira-gui-bench) with the same search by
# tanmira-cli: subfolders, UTF-8 content keyword, stored extension list, full paths.
# Usage: bench/gui_vs_cli.sh [FOLDER [KEYWORD]]   (default /usr/include, "mutex")
# BUILD_DIR (default build) holds an optimised build of both programs; RUNS (default 5) runs
# each after one warm-up run.
set -euo pipefail
cd "$(dirname "$0")/.."
folder=${1:-/usr/include}
keyword=${2:-mutex}
runs=${RUNS:-5}
build=${BUILD_DIR:-build}
gui=$build/bench/tanmira-gui-bench
cli=$build/app/cli/tanmira-cli

# Prints the wall time of one cli run and its hit count.
cli_run() {
    local start end hits
    start=$(date +%s%N)
    hits=$("$cli" --subfolders --content "$keyword" --encoding utf-8 --full-paths "$folder" | wc -l)
    end=$(date +%s%N)
    echo "$(awk -v s="$start" -v e="$end" 'BEGIN { printf "%.3f", (e - s) / 1e9 }') $hits"
}

"$gui" "$folder" "$keyword" >/dev/null
cli_run >/dev/null
gui_total=0 cli_total=0
for ((i = 1; i <= runs; i++)); do
    read -r g gui_hits < <("$gui" "$folder" "$keyword")
    read -r c cli_hits < <(cli_run)
    printf 'run %d: window %.3f s (%d hits), cli %.3f s (%d hits)\n' "$i" "$g" "$gui_hits" "$c" "$cli_hits"
    gui_total=$(awk -v a="$gui_total" -v b="$g" 'BEGIN { print a + b }')
    cli_total=$(awk -v a="$cli_total" -v b="$c" 'BEGIN { print a + b }')
done
awk -v g="$gui_total" -v c="$cli_total" -v n="$runs" 'BEGIN {
    printf "mean: window %.3f s, cli %.3f s, ratio window/cli %.2f (goal: at most 1.3)\n",
        g / n, c / n, g / c }'
[ "$gui_hits" = "$cli_hits" ] || echo "warning: hit counts differ ($gui_hits vs $cli_hits)"
