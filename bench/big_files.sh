#!/bin/bash
# Big files: a sparse file (its text ends at its first 0 byte, so reading stops there) and a text
# file with the keyword at its end, each SIZE_GB large, searched by tanmira-cli and `grep -l`
# with the file in the page cache. Prints the median wall time (hyperfine) and the peak resident
# memory (/usr/bin/time -v) of each, for a lower-case, an upper-case, a CR LF and a
# Shift_JIS-folded keyword. The files are made under TMPDIR (default /tmp) and removed at the end.
#
# Environment: TANMIRA_CLI (default build/app/cli/tanmira-cli), SIZE_GB (default 4), RUNS
# (default 3).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cli=${TANMIRA_CLI:-$root/build/app/cli/tanmira-cli}
size_gb=${SIZE_GB:-4}
runs=${RUNS:-3}

die() {
    echo "big_files.sh: $*" >&2
    exit 1
}
[[ -x $cli ]] || die "tanmira-cli not found: build it or set TANMIRA_CLI"
"$root/bench/ensure-packages" hyperfine time

dir=$(mktemp -d "${TMPDIR:-/tmp}/tanmira-big.XXXXXX")
trap 'rm -rf "$dir"' EXIT
free_kb=$(df -Pk "$dir" | awk 'NR == 2 { print $4 }')
((free_kb > (2 * size_gb + 1) * 1024 * 1024)) || die "not enough free space in $dir"

# The text file: real text (system headers, 0 bytes dropped) repeated, then the lines sought.
mkdir "$dir/sparse" "$dir/text"
truncate -s "${size_gb}G" "$dir/sparse/sparse.txt"
(
    set +o pipefail  # head ends the pipe early
    find /usr/include -name '*.h' -print0 | xargs -0 cat 2>/dev/null | tr -d '\000' | head -c 64M
) >"$dir/chunk"
for ((i = 0; i < size_gb * 16; i++)); do cat "$dir/chunk"; done >"$dir/text/big.txt"
rm "$dir/chunk"
{
    printf '\nthe quokka end marker\r\nclosing line\r\n'
    printf '%s\r\n' "ファイルX の終わり" | iconv -f UTF-8 -t CP932
} >>"$dir/text/big.txt"
printf %s "ファイルx" | iconv -f UTF-8 -t CP932 >"$dir/sjis-keyword"
cat "$dir/text/big.txt" >/dev/null  # into the page cache

# Quotes each word in single quotes for hyperfine.
quote() {
    local word quoted=""
    for word in "$@"; do
        quoted+="'${word//\'/\'\\\'\'}' "
    done
    echo "$quoted"
}

# Prints one row: the median wall time over RUNS runs and the peak resident memory of one more
# run (reported to a file: the tool's own output is dropped).
measure() {
    local name=$1
    shift
    hyperfine -N --style none --warmup 1 --runs "$runs" --ignore-failure \
        --export-csv "$dir/times.csv" --command-name run "$(quote "$@")" >/dev/null 2>&1
    local median rss
    median=$(awk -F, 'NR == 2 { printf "%.2f", $4 }' "$dir/times.csv")
    /usr/bin/time -v -o "$dir/time.txt" "$@" >/dev/null 2>&1 || true
    rss=$(awk -F: '/Maximum resident set size/ { printf "%.1f", $2 / 1024 }' "$dir/time.txt")
    printf '%-44s %9s %10s\n' "$name" "$median" "$rss"
}

tanmira() {
    local folder=$1 encoding=$2 keyword=$3
    measure "tanmira-cli \"$(printf %q "$keyword")\" ($encoding)" \
        "$cli" --content "$keyword" --extensions txt --encoding "$encoding" --full-paths "$folder"
}

echo "files: ${size_gb} GB sparse, ${size_gb} GB text with the keyword at its end (page cache)"
printf '%-44s %9s %10s\n' "search" "median/s" "peak RSS/MB"
tanmira "$dir/sparse" utf-8 "quokka end marker"
measure "grep -l \"quokka end marker\" (sparse)" env LC_ALL=C grep -liF -e "quokka end marker" "$dir/sparse/sparse.txt"
tanmira "$dir/text" utf-8 "quokka end marker"
tanmira "$dir/text" utf-8 "QUOKKA END MARKER"
tanmira "$dir/text" utf-8 $'quokka end marker\r\nclosing'
tanmira "$dir/text" shift-jis "ファイルX"
measure "grep -l \"quokka end marker\" (case-sensitive)" env LC_ALL=C grep -lF -e "quokka end marker" "$dir/text/big.txt"
measure "grep -li \"quokka end marker\"" env LC_ALL=C grep -liF -e "quokka end marker" "$dir/text/big.txt"
measure "grep -li \"QUOKKA END MARKER\"" env LC_ALL=C grep -liF -e "QUOKKA END MARKER" "$dir/text/big.txt"
measure "grep -li ファイルx (Shift_JIS bytes)" env LC_ALL=C grep -liF -f "$dir/sjis-keyword" "$dir/text/big.txt"
