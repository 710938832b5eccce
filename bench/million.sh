#!/bin/bash
# Makes a tree of FILES small files (default 1,000,000: 1,000 folders of 1,000 files, nine in ten
# named *.txt, one .txt in a thousand holding the keyword "needle"), times a content search and a
# name-only search of tanmira-cli against ripgrep with two threads in one hyperfine run, prints the
# ratios and the peak resident memory of each command (/usr/bin/time -v) beside the bytes of the
# listed paths, draws the ratios as an SVG bar chart and removes the tree.
#
#   bench/million.sh
#   FILES        files in the tree (default 1000000); fewer are made, and said, when the disk of
#                TMPDIR lacks the room (a block and an inode a file, and a tenth more)
#   RUNS         runs per command (default 3, after one warm-up run)
#   TANMIRA_CLI  the tanmira-cli binary (default: build/app/cli/tanmira-cli)
#   CHART        the SVG written (default bench/results/million.svg)
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
cli=${TANMIRA_CLI:-$root/build/app/cli/tanmira-cli}
files=${FILES:-1000000}
runs=${RUNS:-3}
chart=${CHART:-$root/bench/results/million.svg}

die() {
    echo "million.sh: $*" >&2
    exit 1
}
[[ -x $cli ]] || die "tanmira-cli not found: build it (scripts/build) or set TANMIRA_CLI"
[[ $files =~ ^[1-9][0-9]*$ ]] || die "FILES must be a positive number"
"$root/bench/ensure-packages" hyperfine ripgrep time

work=$(mktemp -d "${TMPDIR:-/tmp}/tanmira-million.XXXXXX")
trap 'rm -rf "$work"' EXIT

# Room: one block and one inode a file, a tenth more for the folders and the file system.
read -r block free_kb free_inodes < <(
    stat -f -c '%S %a %d' "$work" | awk '{ print $1, int($2 * $1 / 1024), $3 }')
fit=$(awk -v kb="$free_kb" -v ino="$free_inodes" -v b="$block" -v n="$files" 'BEGIN {
    per = 1.1 * (b < 4096 ? 4096 : b) / 1024
    m = int(kb / per); if (ino > 0 && int(ino / 1.1) < m) m = int(ino / 1.1)
    print (m < n ? m : n) }')
((fit >= 1000)) || die "too little room under $work for even 1,000 files"
if ((fit < files)); then
    echo "note: room for $fit files only under $work; the tree is scaled down to that" >&2
    files=$fit
fi

tree=$work/tree
echo "== making $files files under $tree"
start=$SECONDS
python3 - "$tree" "$files" <<'EOF'
import os, sys
tree, files = sys.argv[1], int(sys.argv[2])
for k in range(files):
    folder = os.path.join(tree, "d%04d" % (k // 1000))
    if k % 1000 == 0:
        os.makedirs(folder)
    name = "f%07d.%s" % (k, "dat" if k % 10 == 9 else "txt")
    text = "line of file %d\n" % k + ("the needle is here\n" if k % 1000 == 500 else "")
    with open(os.path.join(folder, name), "w") as f:
        f.write(text)
EOF
echo "   made in $((SECONDS - start)) s"
sync

listed_bytes=$(find "$tree" -mindepth 1 -printf '%p\n' | wc -c)
content=("$cli" --subfolders --content needle --extensions txt --encoding utf-8 --full-paths "$tree")
names=("$cli" --subfolders --extensions txt --full-paths "$tree")
rg_content=(rg -j2 -l -i -F -L -uu --iglob '*.txt' -e needle "$tree")
rg_names=(rg -j2 --files -L -uu --iglob '*.txt' "$tree")

quoted() { printf '%q ' "$@"; }
echo "== peak resident memory (listed paths: $listed_bytes bytes, $((listed_bytes / 1048576)) MiB)"
for what in content names rg_content rg_names; do
    declare -n command=$what
    "${command[@]}" >"$work/$what.out" || true
    kb=$(/usr/bin/time -v "${command[@]}" 2>&1 >/dev/null | awk -F': ' '/Maximum resident/ { print $2 }')
    printf '%-12s %8.1f MiB   (%d results)\n' "$what" "$(awk -v k="$kb" 'BEGIN { print k / 1024 }')" \
        "$(wc -l <"$work/$what.out")"
done
unset -n command
cmp -s <(sort "$work/content.out") <(sort "$work/rg_content.out") ||
    echo "note: tanmira's and ripgrep's content hits differ"

load=$(cut -d' ' -f1 /proc/loadavg)
echo "== times, load average: $(cut -d' ' -f1-3 /proc/loadavg)"
hyperfine -N --output=pipe --warmup 1 --runs "$runs" --export-csv "$work/times.csv" \
    -n tanmira-content "$(quoted "${content[@]}")" -n rg-content "$(quoted "${rg_content[@]}")" \
    -n tanmira-names "$(quoted "${names[@]}")" -n rg-files "$(quoted "${rg_names[@]}")"
awk -F, 'NR > 1 { median[$1] = $4 }
    END { printf "content %d files\trg -j2\t%.3f\n", n, median["tanmira-content"] / median["rg-content"]
          printf "names only %d files\trg -j2 --files\t%.3f\n", n, median["tanmira-names"] / median["rg-files"] }' \
    n="$files" "$work/times.csv" >"$work/ratios.tsv"
sed 's/\t/: tanmira ÷ /; s/\t/ = /' "$work/ratios.tsv"
mkdir -p "$(dirname "$chart")"
python3 "$root/bench/ratio_chart.py" "$work/ratios.tsv" "$chart" \
    "tanmira's median time ÷ the peer's, $files small files, load average $load (shorter is faster)"
echo "chart: $chart"
