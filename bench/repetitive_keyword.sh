#!/bin/bash
# A long repetitive keyword in a repetitive text where it almost occurs everywhere: a 5 MB file of
# ('a' x (L - 1) + 'b') repeated, searched for 'a' x L, for L = 20,000 and 2,000, by tanmira-cli
# and by `grep -F` in the same hyperfine run; prints each mean and the ratio tanmira-cli / grep.
# Then the same in UTF-16LE (file and keyword through iconv, tanmira-cli --encoding utf-16, grep
# on the keyword's UTF-16 bytes). The files are made under TMPDIR (default /tmp) and removed at
# the end.
#
# Environment: TANMIRA_CLI (default build/app/cli/tanmira-cli), RUNS (default 5).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cli=${TANMIRA_CLI:-$root/build/app/cli/tanmira-cli}
runs=${RUNS:-5}
[[ -x $cli ]] || { echo "repetitive_keyword.sh: tanmira-cli not found: build it or set TANMIRA_CLI" >&2; exit 1; }
"$root/bench/ensure-packages" hyperfine

dir=$(mktemp -d "${TMPDIR:-/tmp}/tanmira-repetitive.XXXXXX")
trap 'rm -rf "$dir"' EXIT
printf '%-16s %12s %12s %8s\n' "keyword" "tanmira/ms" "grep -F/ms" "ratio"
for encoding in utf-8 utf-16; do
    for length in 20000 2000; do
        keyword=$(printf 'a%.0s' $(seq "$length"))
        rm -rf "$dir/text" && mkdir "$dir/text"
        for ((i = 0; i < 5000000 / length; i++)); do printf %sb "${keyword:1}"; done \
            >"$dir/text/repetitive.txt"
        printf %s "$keyword" >"$dir/keyword"
        if [[ $encoding == utf-16 ]]; then
            iconv -f UTF-8 -t UTF-16LE "$dir/text/repetitive.txt" >"$dir/converted"
            mv "$dir/converted" "$dir/text/repetitive.txt"
            iconv -f UTF-8 -t UTF-16LE "$dir/keyword" >"$dir/converted" && mv "$dir/converted" "$dir/keyword"
        fi
        hyperfine -N --style none --warmup 1 --runs "$runs" --ignore-failure \
            --export-json "$dir/times.json" \
            --command-name tanmira "$cli --content $keyword --extensions txt --encoding $encoding $dir/text" \
            --command-name grep "env LC_ALL=C grep -alF -f $dir/keyword $dir/text/repetitive.txt" \
            >/dev/null 2>&1
        python3 - "$dir/times.json" "'a' x $length $encoding" <<'PY'
import json, sys
means = {r["command"]: r["mean"] * 1000 for r in json.load(open(sys.argv[1]))["results"]}
t, g = means["tanmira"], means["grep"]
print(f"{sys.argv[2]:<16} {t:12.1f} {g:12.1f} {t / g:8.2f}")
PY
    done
done
