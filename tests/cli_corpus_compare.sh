#!/usr/bin/env bash
# The same texts through the Linux letterloom-cli and the Windows letterloom-cli.exe: the PNGs must be byte-identical and each build must decode the other's.
#
# Usage: cli_corpus_compare.sh LINUX_CLI WINDOWS_CLI WORK_FOLDER RUNNER...
#   RUNNER... runs a Windows program (the cross build's emulator: env WINEPREFIX=... wine).
# Registered as a ctest test of the Windows cross build (tests/CMakeLists.txt).
set -euo pipefail
trap 'echo "cli_corpus_compare: failed ($?): $BASH_COMMAND" >&2' ERR
[ $# -ge 4 ] || { sed -n '2,6p' "$0" | sed 's/^# \{0,1\}//' >&2; exit 2; }
linux_cli=$1 windows_cli=$2 work=$3
shift 3
runner=("$@")
largest=5233648  # codec::kMaxTextBytes: a 1280 x 1024 picture's worth

windows() { "${runner[@]}" "$windows_cli" "$@"; }

rm -rf "$work"
mkdir -p "$work"
cd "$work"

# The corpus: UTF-8, Windows-1252 with CR LF, lone CRs, every byte value but 0, nothing, the
# largest text, and a file name beyond any 8-bit code page.
printf 'Gr\xc3\xbc\xc3\x9fe, \xce\xa9 \xe2\x82\xac \xf0\x9f\x99\x82\nzweite Zeile\n' >utf8.txt
printf 'Fran\xe7ais \x80 \x93quoted\x94\r\nligne deux\r\n' >cp1252-crlf.txt
printf 'old Mac\rline ends\r\rand one\r' >lone-cr.txt
for round in 1 2 3; do
  for ((b = round; b < 256 + round; b++)); do printf "\\$(printf %03o $(((b * 37) % 255 + 1)))"; done
done >binary-no-nul.txt
: >empty.txt
# (seq ends by SIGPIPE: read from it through a process substitution, outside pipefail)
head -c $largest < <(seq 1 3 6000000) >largest.txt
printf 'named text\r\n' >"café-Ω.txt"

failures=0
fail() {
  echo "cli_corpus_compare: $*" >&2
  failures=$((failures + 1))
}

for text in *.txt; do
  base=${text%.txt}
  "$linux_cli" encode "$text" "$base.linux.png"
  windows encode "$text" "$base.windows.png"
  windows encode - - <"$text" >"$base.windows-stdout.png"
  cmp -s "$base.linux.png" "$base.windows.png" || fail "$text: the PNGs of the two builds differ"
  cmp -s "$base.windows.png" "$base.windows-stdout.png" || fail "$text: the .exe's PNG on standard output differs"
  windows decode "$base.linux.png" "$base.back-windows"
  "$linux_cli" decode "$base.windows.png" "$base.back-linux"
  windows decode "$base.linux.png" >"$base.back-windows-stdout"
  for back in "$base.back-windows" "$base.back-linux" "$base.back-windows-stdout"; do
    cmp -s "$text" "$back" || fail "$text: $back is not the text"
  done
  printf 'cli_corpus_compare: %-20s %8d bytes -> PNG %8d bytes, identical; both decode both\n' \
    "$text" "$(stat -c %s "$text")" "$(stat -c %s "$base.linux.png")"
done
[ $failures -eq 0 ] || exit 1
rm -rf "$work"
