#!/bin/bash
# Compares one case-insensitive fixed-string content search over a real corpus: tanmira-cli
# against GNU grep and, when installed, ripgrep, on the same files with a warm cache.
#
# Usage: bench/compare.sh [CORPUS [KEYWORD]]
#   CORPUS   folder searched with its subfolders (default /usr/include)
#   KEYWORD  keyword without line breaks (default "mutex"), in the locale's encoding (UTF-8)
# Environment:
#   TANMIRA_CLI  the tanmira-cli binary (default: the newest app/cli/tanmira-cli in a build*
#                folder of the repository; benchmark an optimised build)
#   RUNS         timed runs per tool (default 5), after one warm-up run
#   EXTENSIONS   comma-separated extension list (default: the program's stored list)
#   ENCODINGS    space-separated --encoding values for tanmira-cli (default utf-8); each further
#                one is timed too and compared with the first (ENCODINGS="utf-8 all" gives what
#                searching every encoding at once costs)
set -euo pipefail

corpus=${1:-/usr/include}
keyword=${2:-mutex}
runs=${RUNS:-5}
extensions=${EXTENSIONS:-txt,ini,php,cgi,html,htm,css,js,vbs,asp,C,cc,cpp,cs,h,hpp,java,pas,pl,as,hsp,py}
root=$(cd "$(dirname "$0")/.." && pwd)

die() {
    echo "compare.sh: $*" >&2
    exit 1
}

[[ -d $corpus ]] || die "no such folder: $corpus"
[[ -n $keyword && $keyword != *[$'\r\n']* ]] || die "the keyword must be one line of text"
read -r -a encodings <<<"${ENCODINGS:-utf-8}"
((${#encodings[@]})) || die "ENCODINGS is empty"
[[ $runs =~ ^[1-9][0-9]*$ ]] || die "RUNS must be a positive number"

cli=${TANMIRA_CLI:-}
if [[ -z $cli ]]; then
    for candidate in "$root"/build*/app/cli/tanmira-cli; do
        if [[ -x $candidate && (-z $cli || $candidate -nt $cli) ]]; then
            cli=$candidate
        fi
    done
fi
[[ -n $cli && -x $cli ]] ||
    die "tanmira-cli not found: build it (scripts/build) or set TANMIRA_CLI"
cache=$(dirname "$cli")/../../CMakeCache.txt
if [[ -f $cache ]] && grep -Eq '^CMAKE_BUILD_TYPE:[A-Z]+=(Debug)?$' "$cache"; then
    echo "warning: $cli is not an optimised build; its times say little" >&2
fi

# Extension globs matching any case of each extension, as tanmira compares extensions folded:
# "h" gives "*.[hH]". grep takes them as --include, ripgrep as --iglob.
grep_globs=()
rg_globs=()
IFS=, read -r -a exts <<<"$extensions"
for ext in "${exts[@]}"; do
    glob=""
    for ((k = 0; k < ${#ext}; k++)); do
        c=${ext:k:1}
        lower=${c,,}
        upper=${c^^}
        if [[ $lower == "$upper" ]]; then
            glob+=$c
        else
            glob+="[$lower$upper]"
        fi
    done
    grep_globs+=("--include=*.$glob")
    rg_globs+=(--iglob "*.$ext")
done

tanmira_cmd() {
    printf '%s\0' "$cli" --subfolders --content "$keyword" --extensions "$extensions" \
        --encoding "$1" --full-paths "$corpus"
}
mapfile -d '' -t tanmira_cmd < <(tanmira_cmd "${encodings[0]}")
grep_cmd=(env LC_ALL=C grep -RliF "${grep_globs[@]}" -e "$keyword" "$corpus")
rg_cmd=()
if command -v rg >/dev/null; then
    # -uu: no ignore files, hidden files included, as tanmira and grep search every file.
    rg_cmd=(rg -l -i -F -L -uu "${rg_globs[@]}" -e "$keyword" "$corpus")
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Hit lists, one run each (this also warms the cache). grep and ripgrep exit 1 on no hit.
status=0
"${tanmira_cmd[@]}" >"$work/tanmira.txt" || status=$?
((status == 0)) || echo "warning: tanmira-cli exited with status $status" >&2
"${grep_cmd[@]}" >"$work/grep.txt" || true
if ((${#rg_cmd[@]})); then
    "${rg_cmd[@]}" >"$work/ripgrep.txt" || true
fi

hits() { wc -l <"$work/$1.txt" | tr -d ' '; }

# Median wall time in seconds of one tool (and, with hyperfine, its mean CPU time): hyperfine
# when present, else a plain timing loop.
declare -A median cpu
time_tool() {
    local name=$1
    shift
    if command -v hyperfine >/dev/null; then
        local quoted
        quoted=$(printf '%q ' "$@")
        hyperfine --style none --warmup 1 --runs "$runs" --ignore-failure \
            --export-csv "$work/$name.csv" --command-name "$name" "$quoted" >/dev/null
        median[$name]=$(awk -F, 'NR == 2 { print $4 }' "$work/$name.csv")
        cpu[$name]=$(awk -F, 'NR == 2 { print $5 + $6 }' "$work/$name.csv")
        return
    fi
    "$@" >/dev/null || true
    local start end
    for ((r = 0; r < runs; r++)); do
        start=$(date +%s%N)
        "$@" >/dev/null || true
        end=$(date +%s%N)
        echo $((end - start))
    done | sort -n >"$work/$name.times"
    median[$name]=$(awk '{ t[NR] = $1 } END { m = NR % 2 ? t[(NR + 1) / 2] : (t[NR / 2] + t[NR / 2 + 1]) / 2
                                          printf "%.6f", m / 1e9 }' "$work/$name.times")
}

time_tool tanmira "${tanmira_cmd[@]}"
extra=()
for encoding in "${encodings[@]:1}"; do
    mapfile -d '' -t cmd < <(tanmira_cmd "$encoding")
    "${cmd[@]}" >"$work/tanmira-$encoding.txt" || true
    time_tool "tanmira-$encoding" "${cmd[@]}"
    extra+=("tanmira-$encoding")
done
time_tool grep "${grep_cmd[@]}"
if ((${#rg_cmd[@]})); then
    time_tool ripgrep "${rg_cmd[@]}"
fi

echo "corpus: $corpus   keyword: $keyword   runs: $runs (warm cache)"
echo "tanmira-cli: $cli   encoding of 'tanmira': ${encodings[0]}"
printf '%-16s %14s %8s\n' tool "median time/s" hits
for name in tanmira "${extra[@]}" grep ripgrep; do
    [[ -n ${median[$name]:-} ]] || continue
    printf '%-16s %14.4f %8s\n' "$name" "${median[$name]}" "$(hits "$name")"
done
ratio() { awk -v a="${median[$1]}" -v b="${median[$2]}" 'BEGIN { printf "%.2f", a / b }'; }
# CPU time (user + system, mean) says more than wall time on a busy machine.
for name in "${extra[@]}"; do
    line="ratio $name/tanmira: $(ratio "$name" tanmira)"
    if [[ -n ${cpu[tanmira]:-} ]]; then
        line+=" (CPU time: $(awk -v a="${cpu[$name]}" -v b="${cpu[tanmira]}" \
            'BEGIN { printf "%.2f", a / b }'))"
    fi
    echo "$line"
done
echo "ratio tanmira/grep: $(ratio tanmira grep)"
if [[ -n ${median[ripgrep]:-} ]]; then
    echo "ratio tanmira/ripgrep: $(ratio tanmira ripgrep)"
else
    echo "ripgrep not installed: skipped"
fi

# With a UTF-8 keyword tanmira and grep must find the same files; show a few of the differences
# when they do not. In another encoding tanmira searches other bytes than grep.
[[ ${encodings[0]} == utf-8 ]] || exit 0
for name in tanmira grep; do
    sed 's#//*#/#g' "$work/$name.txt" | sort -u >"$work/$name.sorted"
done
if ! cmp -s "$work/tanmira.sorted" "$work/grep.sorted"; then
    echo "warning: tanmira-cli found $(hits tanmira) files, grep $(hits grep); first differences:"
    { diff "$work/grep.sorted" "$work/tanmira.sorted" || true; } |
        sed -n -e 's/^< /  grep only: /p' -e 's/^> /  tanmira only: /p' | head -n 10 || true
fi
if [[ -n ${median[ripgrep]:-} && $(hits ripgrep) != "$(hits grep)" ]]; then
    echo "note: ripgrep found $(hits ripgrep) files, grep $(hits grep)"
fi
