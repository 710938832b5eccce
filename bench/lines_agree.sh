#!/bin/bash
# Checks that tanmira-cli --lines gives the line numbers of grep -n: an ASCII keyword over a
# folder (case-insensitive, every file), and a Japanese keyword in Shift_JIS, EUC-JP, UTF-8,
# UTF-16LE and UTF-16BE copies of the same text, against grep -n on the text decoded with iconv. Prints the numbers of
# matching lines compared and exits 1 on any difference.
#
# Usage: bench/lines_agree.sh [FOLDER [KEYWORD]]   (default /usr/include, "mutex")
set -euo pipefail
folder=${1:-/usr/include}
keyword=${2:-mutex}
root=$(cd "$(dirname "$0")/.." && pwd)
cli=${TANMIRA_CLI:-$root/build/app/cli/tanmira-cli}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
status=0

# PATH:LINE of each line, sorted, from output of the form PATH:LINE:...
path_lines() { sed -E 's/^(.*):([0-9]+):([0-9]+):.*$/\1:\2/' | sort -u; }

compare() {
    local title=$1
    if cmp -s "$work/tanmira" "$work/grep"; then
        echo "$title: $(wc -l <"$work/grep") matching lines, the same"
        return
    fi
    echo "$title: differences (< grep, > tanmira):"
    diff "$work/grep" "$work/tanmira" | head -n 10
    status=1
}

# grep -R follows links as the walk does; -a reads every file as text.
"$cli" --lines --subfolders --all-extensions --encoding utf-8 --content "$keyword" \
    "$folder" | path_lines >"$work/tanmira" || true
LC_ALL=C grep -RniF -a -e "$keyword" "$folder" | sed -E 's/^(.*):([0-9]+):.*$/\1:\2/' |
    sort -u >"$work/grep" || true
compare "\"$keyword\" in $folder"

# A Japanese text with every line break in each encoding; grep reads it decoded to UTF-8. The
# UTF-16LE copy is as Notepad saves it: a byte-order mark and CR LF (a lone CR before one stays).
mkdir "$work/ja"
text=$'設定なし\n一行目の設定\r\nテスト設定は\r二つの設定と設定\n\n設定'
for enc in CP932 EUC-JP UTF-8 UTF-16BE; do
    printf %s "$text" | iconv -f UTF-8 -t "$enc" >"$work/ja/$enc.txt"
done
printf '\xEF\xBB\xBF%s' "${text//$'\n'/$'\r\n'}" | iconv -f UTF-8 -t UTF-16LE >"$work/ja/UTF-16LE.txt"
"$cli" --lines --all-extensions --encoding all --content 設定 "$work/ja" | path_lines >"$work/tanmira"
for enc in CP932 EUC-JP UTF-8 UTF-16BE UTF-16LE; do
    iconv -f "$enc" -t UTF-8 "$work/ja/$enc.txt" | sed $'1s/^\xEF\xBB\xBF//; s/\r$//' | tr '\r' '\n' |
        grep -n 設定 | sed -E "s#^([0-9]+):.*#$work/ja/$enc.txt:\\1#"
done | sort -u >"$work/grep"
compare "設定 in Shift_JIS, EUC-JP, UTF-8, UTF-16LE with a mark and CR LF, and UTF-16BE"
exit $status
