#!/bin/bash
# A long repetitive keyword in a repetitive text where it almost occurs everywhere: a 5 MB file of
# ('a' x (L - 1) + 'b') repeated, searched for 'a' x L, for L = 20,000 and 2,000, by tanmira-cli
# and by `grep -F` in the same hyperfine run; prints each mean and the ratio tanmira-cli / grep.
# The files are made under TMPDIR (default /tmp) and removed at the end.
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
printf '%-10s %12s %12s %8s\n' "keyword" "tanmira/ms" "grep -F/ms" "ratio"
for length in 20000 2000; do
    keyword=$(printf 'a%.0s' $(seq "$length"))
    rm -rf "$dir/text" && mkdir "$dir/text"
    for ((i = 0; i < 5000000 / length; i++)); do printf %sb "${keyword:1}"; done \
        >"$dir/text/repetitive.txt"
    hyperfine -N --style none --warmup 1 --runs "$runs" --ignore-failure \
        --export-json "$dir/times.json" \
        --command-name tanmira "$cli --content $keyword --extensions txt --encoding utf-8 $dir/text" \
        --command-name grep "env LC_ALL=C grep -lF -e $keyword $dir/text/repetitive.txt" \
        >/dev/null 2>&1
    python3 - "$dir/times.json" "'a' x $length" <<'PY'
import json, sys
means = {r["command"]: r["mean"] * 1000 for r in json.load(open(sys.argv[1]))["results"]}
t, g = means["tanmira"], means["grep"]
print(f"{sys.argv[2]:<10} {t:12.1f} {g:12.1f} {t / g:8.2f}")
PY
done
