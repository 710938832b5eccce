#!/bin/bash
# Makes the UTF-16 fixtures of the tanmira-cli tests with iconv: Notepad's "Unicode" (UTF-16LE
# with a byte-order mark, CR LF), UTF-16LE without a mark, UTF-16BE with one, the same words in
# ASCII, and UTF-16LE after a one-byte prefix (every unit at an odd offset).
set -euo pipefail
cd "$(dirname "$0")"
bom=$'\xEF\xBB\xBF'
printf '%s設定\r\nVersion=2\r\n' "$bom" | iconv -f UTF-8 -t UTF-16LE >notepad.txt
printf 'Version 設定\n' | iconv -f UTF-8 -t UTF-16LE >no-bom.txt
printf '%s設定 VERSION\r\n' "$bom" | iconv -f UTF-8 -t UTF-16BE >big-endian.txt
printf 'Version 2\n' >ascii.txt
{ printf x; printf 'Version 設定\n' | iconv -f UTF-8 -t UTF-16LE; } >odd-offset.txt
