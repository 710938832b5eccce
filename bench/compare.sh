#!/bin/bash
# Compares content searches over real corpora: tanmira-cli against GNU grep and ripgrep (with its
# default threads and with one), on the same files with a warm cache. Cases:
#   keyword   a case-insensitive fixed-string keyword ("mutex") over CORPUS
#   absent    a keyword that never occurs, so that every byte is read
#   no-fields every keyword field empty: the walk and the open test alone (against rg --files
#             and find -L)
#   lines     the keyword's matching lines (--lines) against rg -n --column, with tanmira's
#             default name output in the same run
#   sjis      a Shift_JIS keyword ("ファイル") over Japanese manual pages converted to Shift_JIS,
#             against rg -E shift_jis (made under build-bench/ from the manpages-ja packages;
#             skipped when they cannot be had)
# hyperfine, ripgrep and the manual pages are installed with apt-get when missing.
#
# Usage: bench/compare.sh [CORPUS [KEYWORD]]
#   CORPUS   folder searched with its subfolders (default /usr/include)
#   KEYWORD  keyword without line breaks (default "mutex"), in the locale's encoding (UTF-8)
# Environment:
#   TANMIRA_CLI  the tanmira-cli binary (default: build/app/cli/tanmira-cli; benchmark an
#                optimised build)
#   RUNS         timed runs per tool (default 5), after one warm-up run
#   CASES        the cases to run (default "keyword absent no-fields lines sjis")
#   EXTENSIONS   comma-separated extension list (default: the program's stored list)
#   ENCODINGS    space-separated --encoding values for tanmira-cli in the keyword case (default
#                utf-8); each further one is timed too and compared with the first
#                (ENCODINGS="utf-8 all" gives what searching every encoding at once costs)
#   CHART        the SVG bar chart of tanmira's ratios to each peer, per case (default
#                bench/results/compare.svg)
set -euo pipefail

corpus=${1:-/usr/include}
keyword=${2:-mutex}
runs=${RUNS:-5}
cases=${CASES:-keyword absent no-fields lines sjis}
extensions=${EXTENSIONS:-txt,ini,php,cgi,html,htm,css,js,vbs,asp,C,cc,cpp,cs,h,hpp,java,pas,pl,as,hsp,py}
root=$(cd "$(dirname "$0")/.." && pwd)
cli=${TANMIRA_CLI:-$root/build/app/cli/tanmira-cli}
chart=${CHART:-$root/bench/results/compare.svg}

die() {
    echo "compare.sh: $*" >&2
    exit 1
}

[[ -d $corpus ]] || die "no such folder: $corpus"
[[ -n $keyword && $keyword != *[$'\r\n']* ]] || die "the keyword must be one line of text"
read -r -a encodings <<<"${ENCODINGS:-utf-8}"
((${#encodings[@]})) || die "ENCODINGS is empty"
[[ $runs =~ ^[1-9][0-9]*$ ]] || die "RUNS must be a positive number"
[[ -x $cli ]] || die "tanmira-cli not found: build it (scripts/build) or set TANMIRA_CLI"
"$root/bench/ensure-packages" hyperfine ripgrep
cache=$(dirname "$cli")/../../CMakeCache.txt
if [[ -f $cache ]] && grep -Eq '^CMAKE_BUILD_TYPE:[A-Z]+=(Debug)?$' "$cache"; then
    echo "warning: $cli is not an optimised build; its times say little" >&2
fi
if [[ -f $cache ]] && grep -Eq '^TANMIRA_SANITIZE[A-Z_]*:BOOL=ON' "$cache"; then
    echo "warning: $cli is a sanitizer build; its times say little" >&2
fi

# Extension globs matching any case of each extension, as tanmira compares extensions folded:
# "h" gives "*.[hH]". grep takes them as --include, ripgrep as --iglob.
grep_globs=()
rg_globs=()
find_names=()
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
    find_names+=(${find_names:+-o} -iname "*.$ext")
done

load=$(cut -d' ' -f1 /proc/loadavg)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The tools of the case being set up: names and their commands, each word in single quotes (which
# hyperfine splits as a shell would, without running one).
names=()
commands=()
add_tool() {
    names+=("$1")
    shift
    local quoted="" word
    for word in "$@"; do
        quoted+="'${word//\'/\'\\\'\'}' "
    done
    commands+=("$quoted")
}

# Runs every tool of the case once for its hit list (grep and ripgrep exit 1 on no hit), times
# them with hyperfine and prints the medians, the hits and the ratios of tanmira (the first tool)
# to the others; a further tanmira encoding ("tanmira-all") is compared the other way round, with
# its ratio of CPU time too (user + system, which says more than wall time on a busy machine).
run_case() {
    local title=$1 chart_case=${2:-$1} n args=()
    for ((n = 0; n < ${#names[@]}; n++)); do
        eval "${commands[n]}" >"$work/${names[n]}.txt" 2>/dev/null || true
        args+=(--command-name "${names[n]}" "${commands[n]}")
    done
    hyperfine -N --style none --warmup 1 --runs "$runs" --ignore-failure \
        --export-csv "$work/times.csv" "${args[@]}" >/dev/null 2>"$work/hyperfine.log" ||
        { cat "$work/hyperfine.log" >&2; die "hyperfine failed"; }
    echo
    echo "== $title   (runs: $runs, warm cache)"
    printf '%-12s %10s %10s %8s %8s %8s\n' tool "median/ms" "mean/ms" "user/ms" "sys/ms" hits
    awk -F, -v work="$work" 'NR > 1 {
        file = work "/" $1 ".txt"; hits = 0
        while ((getline line < file) > 0) hits++
        close(file)
        printf "%-12s %10.1f %10.1f %8.1f %8.1f %8d\n", $1, $4 * 1000, $2 * 1000, $5 * 1000, $6 * 1000, hits
        median[NR - 1] = $4; cpu[NR - 1] = $5 + $6; name[NR - 1] = $1 }
    END { for (i = 2; i in median; i++)
              if (name[i] ~ /^tanmira-/)
                  printf "ratio %s/%s: %.2f (CPU time: %.2f)\n", name[i], name[1],
                         median[i] / median[1], cpu[i] / cpu[1]
              else
                  printf "ratio %s/%s: %.2f\n", name[1], name[i], median[1] / median[i] }' "$work/times.csv"
    awk -F, -v title="$chart_case" 'NR > 1 { median[NR - 1] = $4; name[NR - 1] = $1 }
        END { for (i = 2; i in median; i++)
                  if (name[i] !~ /^tanmira-/)
                      printf "%s\t%s\t%.3f\n", title, name[i], median[1] / median[i] }' \
        "$work/times.csv" >>"$work/ratios.tsv"
    # Hit lists that differ from tanmira's, with a few of the differences (another encoding
    # searches other bytes than grep: nothing to compare).
    sed 's#//*#/#g' "$work/tanmira.txt" | sort -u >"$work/tanmira.sorted"
    for ((n = 1; n < ${#names[@]}; n++)); do
        [[ ${names[n]} != tanmira-* ]] || continue
        sed 's#//*#/#g' "$work/${names[n]}.txt" | sort -u >"$work/other.sorted"
        cmp -s "$work/tanmira.sorted" "$work/other.sorted" && continue
        echo "note: ${names[n]} lists other files than tanmira; first differences:"
        { diff "$work/other.sorted" "$work/tanmira.sorted" || true; } |
            sed -n -e "s/^< /  ${names[n]} only: /p" -e 's/^> /  tanmira only: /p' | head -n 5
    done
    names=()
    commands=()
}

# A content search for word over folder by every tool, tanmira with each of the given encodings
# (the first one compared with grep and ripgrep).
content_case() {
    local title=$1 folder=$2 word=$3 label=$4 encoding
    shift 4
    for encoding in "$@"; do
        add_tool "tanmira$([[ $encoding == "$1" ]] || echo "-$encoding")" "$cli" --subfolders \
            --content "$word" --extensions "$extensions" --encoding "$encoding" --full-paths "$folder"
    done
    add_tool grep env LC_ALL=C grep -RliF "${grep_globs[@]}" -e "$word" "$folder"
    # -uu: no ignore files, hidden files included, as tanmira and grep search every file.
    add_tool rg rg -l -i -F -L -uu "${rg_globs[@]}" -e "$word" "$folder"
    add_tool rg-j1 rg -j1 -l -i -F -L -uu "${rg_globs[@]}" -e "$word" "$folder"
    run_case "$title" "$label"
}

# Japanese manual pages in Shift_JIS (CP932), as .txt files; pages that CP932 cannot hold are
# left out. Made once, under build-bench/.
sjis_corpus() {
    local dir=$root/build-bench/sjis-man
    if [[ ! -f $dir/.done ]]; then
        "$root/bench/ensure-packages" manpages-ja manpages-ja-dev || return 1
        rm -rf "$dir"
        mkdir -p "$dir"
        local page out
        while IFS= read -r page; do
            out=$dir/$(basename "$(dirname "$page")")-$(basename "$page" .gz).txt
            zcat -f "$page" | iconv -f UTF-8 -t CP932 >"$out" 2>/dev/null || rm -f "$out"
        done < <(find /usr/share/man/ja -type f -name '*.gz')
        touch "$dir/.done"
    fi
    echo "$dir"
}

for c in $cases; do
    case $c in
    keyword)
        content_case "keyword \"$keyword\" in $corpus (encoding ${encodings[0]})" "$corpus" \
            "$keyword" "$keyword" "${encodings[@]}"
        ;;
    absent)
        content_case "absent keyword \"zzzzqqqq\" in $corpus" "$corpus" zzzzqqqq "absent keyword" utf-8
        ;;
    lines)
        # rg's columns count bytes, tanmira's characters: the same on ASCII text.
        add_tool tanmira "$cli" --lines --subfolders --content "$keyword" \
            --extensions "$extensions" --encoding utf-8 "$corpus"
        add_tool tanmira-names "$cli" --subfolders --content "$keyword" \
            --extensions "$extensions" --encoding utf-8 --full-paths "$corpus"
        add_tool rg rg -n --column -i -F -L -uu "${rg_globs[@]}" -e "$keyword" "$corpus"
        add_tool rg-j1 rg -j1 -n --column -i -F -L -uu "${rg_globs[@]}" -e "$keyword" "$corpus"
        run_case "matching lines of \"$keyword\" in $corpus" "lines of $keyword"
        ;;
    no-fields)
        add_tool tanmira "$cli" --subfolders --extensions "$extensions" --full-paths "$corpus"
        add_tool rg-files rg --files -L -uu "${rg_globs[@]}" "$corpus"
        add_tool rg-files-j1 rg --files -j1 -L -uu "${rg_globs[@]}" "$corpus"
        add_tool find find -L "$corpus" -type f "(" "${find_names[@]}" ")"
        run_case "every keyword field empty in $corpus" "name only"
        ;;
    sjis)
        if ! folder=$(sjis_corpus) || [[ -z $(ls -A "$folder") ]]; then
            echo "no Japanese manual pages: sjis case skipped"
            continue
        fi
        word=ファイル
        # grep reads the Shift_JIS bytes from a file: a command line for hyperfine is UTF-8.
        printf %s "$word" | iconv -f UTF-8 -t CP932 >"$work/sjis-keyword"
        add_tool tanmira "$cli" --subfolders --content "$word" --extensions "$extensions" \
            --encoding shift-jis --full-paths "$folder"
        add_tool grep env LC_ALL=C grep -RliF "${grep_globs[@]}" -f "$work/sjis-keyword" "$folder"
        add_tool rg rg -E shift_jis -l -i -F -L -uu "${rg_globs[@]}" -e "$word" "$folder"
        add_tool rg-j1 rg -E shift_jis -j1 -l -i -F -L -uu "${rg_globs[@]}" -e "$word" "$folder"
        run_case "Shift_JIS keyword \"$word\" in $folder ($(find "$folder" -name '*.txt' | wc -l) pages)" \
            "Shift_JIS $word"
        ;;
    *)
        die "unknown case: $c"
        ;;
    esac
done

if [[ -s $work/ratios.tsv ]]; then
    mkdir -p "$(dirname "$chart")"
    python3 "$root/bench/ratio_chart.py" "$work/ratios.tsv" "$chart" \
        "tanmira's median time ÷ the peer's, $corpus, load average $load (shorter is faster)"
    echo
    echo "chart: $chart"
fi
