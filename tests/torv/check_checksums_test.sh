#!/usr/bin/env bash
# torv check on a generated contest of 100,000 QSO lines, every file it
# writes held against the checksums in SUMS. The native build and the
# Windows build under wine are held against the same file, so torv and
# torv.exe write the same bytes (the results page's chart included).
#   check_checksums_test.sh SUMS BIN_DIR [WINE_RUN PREFIX]
#
# After a deliberate change of the reports, the checksums are made again
# with the native tools:
#   tests/torv/check_checksums_test.sh tests/golden/check-100k.sha256 build/native/bin --update
set -euo pipefail
sums=$(realpath "$1") bin=$(realpath "$2")
shift 2
update=false run=() exe=""
if [[ ${1:-} == --update ]]; then
    update=true
elif (($# == 2)); then
    run=("$1" "$2") exe=.exe
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

"${run[@]}" "$bin/contest-sim$exe" --out contest --seed 2026 --stations 200 --casual 50 --contacts 56500 >/dev/null
"${run[@]}" "$bin/torv$exe" check contest/logs --out checked --json --penalty 1 --start 2026-03-14 --end 2026-03-14 \
    >out.txt 2>err.txt ||
    { cat err.txt >&2; echo "FAILED: torv check exited non-zero" >&2; exit 1; }
grep -q '^[0-9]* logs, 10[0-9]\{4\} QSO lines: ' <(tr -d '\r' <out.txt) ||
    { cat out.txt >&2; echo "FAILED: not a contest of about 100,000 lines" >&2; exit 1; }
(cd checked && find . -type f | LC_ALL=C sort | xargs sha256sum) >sums.txt
if $update; then
    cp sums.txt "$sums"
    echo "wrote $sums"
    exit 0
fi
if ! diff "$sums" sums.txt >diff.txt; then
    head -20 diff.txt >&2
    echo "FAILED: the files differ from the checksums in $sums" >&2
    exit 1
fi
echo "torv check wrote the files the checksums name"
