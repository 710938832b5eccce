#!/bin/bash
# Opening the matched-lines view on a big file: a text of SIZE_MB megabytes (system headers
# repeated) searched for KEYWORD by the view's line finding (tanmira-view-lines-bench, which
# reads the file as the view does, under すべて), by tanmira-cli --count (the search, then the
# same line finding) and by `grep -c -i` and `rg -c -i` in one hyperfine run with the file in
# the page cache. Prints each mean and its ratio to grep's, and checks that the four counts
# agree. The file is made under TMPDIR (default /tmp) and removed at the end.
#
# Usage: bench/view_lines.sh [KEYWORD]   (default "mutex"; "e" puts a hit on most lines)
# Environment: BUILD (default build), SIZE_MB (default 100), RUNS (default 5).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD:-$root/build}
keyword=${1:-mutex}
size_mb=${SIZE_MB:-100}
runs=${RUNS:-5}
view=$build/bench/tanmira-view-lines-bench
cli=$build/app/cli/tanmira-cli
[[ -x $view && -x $cli ]] || { echo "view_lines.sh: build $build first" >&2; exit 1; }
"$root/bench/ensure-packages" hyperfine ripgrep

dir=$(mktemp -d "${TMPDIR:-/tmp}/tanmira-view.XXXXXX")
trap 'rm -rf "$dir"' EXIT
mkdir "$dir/text"
(
    set +o pipefail  # head ends the pipe early
    while :; do find /usr/include -name '*.h' -print0 | xargs -0 cat 2>/dev/null | tr -d '\000'; done |
        head -c "${size_mb}M"
) >"$dir/text/big.txt"
file=$dir/text/big.txt

counts=("$("$view" "$keyword" "$file")"
        "$("$cli" --count --all-extensions --encoding all --content "$keyword" "$dir/text" | sed 's/.*://')"
        "$(LC_ALL=C grep -c -i -a -F -e "$keyword" "$file")"
        "$(rg -c -i -a -F -e "$keyword" "$file")")
echo "matching lines (view, tanmira-cli, grep, rg): ${counts[*]}"
[[ ${counts[0]} == "${counts[1]}" && ${counts[0]} == "${counts[2]}" ]] ||
    echo "view_lines.sh: the counts differ from grep's (rg folds Unicode case)" >&2

hyperfine -N --style none --warmup 1 --runs "$runs" --export-json "$dir/times.json" \
    --command-name view "$view $keyword $file" \
    --command-name tanmira-cli "$cli --count --all-extensions --encoding all --content $keyword $dir/text" \
    --command-name grep "env LC_ALL=C grep -c -i -a -F -e $keyword $file" \
    --command-name rg "rg -c -i -a -F -e $keyword $file" >/dev/null 2>&1
python3 - "$dir/times.json" "$size_mb" "$keyword" <<'PY'
import json, sys
results = {r["command"]: r for r in json.load(open(sys.argv[1]))["results"]}
grep = results["grep"]["mean"]
print(f"{sys.argv[2]} MB, keyword {sys.argv[3]!r}")
print(f"{'tool':<12} {'mean/ms':>9} {'user/ms':>9} {'sys/ms':>9} {'/grep':>7}")
for name, r in results.items():
    print(f"{name:<12} {r['mean'] * 1000:9.1f} {r['user'] * 1000:9.1f} {r['system'] * 1000:9.1f}"
          f" {r['mean'] / grep:7.2f}")
PY
