#!/usr/bin/env bash
# torv check on the generated contest in tests/golden/check/logs (a file
# that is no log among them), every file it writes held byte for byte
# against tests/golden/check/expected; then in Portuguese with the
# committee's categories.csv (bad lines in it) against expected-pt. The
# native build and torv.exe under wine run the same test, so both tools give
# the same files.
#   check_golden_test.sh GOLDEN_DIR COMMAND...   (COMMAND runs torv: a path, or wine-run PREFIX torv.exe)
#
# After a deliberate change of the reports, the expected files are made
# again with the native tool, from GOLDEN_DIR:
#   torv check logs --out expected --json --penalty 1 --start 2026-03-14 --end 2026-03-14T23:30
#   torv check logs --out expected-pt --json --penalty 1 --start 2026-03-14 --end 2026-03-14T23:30 \
#       --lang pt --categories categories.csv
set -euo pipefail
golden=$1
shift
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -r "$golden/logs" "$work/logs"
cp "$golden/categories.csv" "$work/categories.csv"
cd "$work"

status=0
"$@" check logs --out expected --json --penalty 1 --start 2026-03-14 --end 2026-03-14T23:30 >out.txt 2>err.txt ||
    status=$?
# The one file that is no log is left out, so the exit code is 1.
if [[ $status -ne 1 ]]; then
    cat err.txt >&2
    echo "FAILED: exit code $status, expected 1" >&2
    exit 1
fi
grep -q '^torv: logs/README.txt: .*; left out' <(tr -d '\r' <err.txt) ||
    { cat err.txt >&2; echo "FAILED: the file that is no log is not reported" >&2; exit 1; }
grep -q '^15 logs, 584 QSO lines: ' <(tr -d '\r' <out.txt) ||
    { cat out.txt >&2; echo "FAILED: standard output" >&2; exit 1; }

if ! diff -r "$golden/expected" expected >diff.txt; then
    head -40 diff.txt >&2
    echo "FAILED: the files differ from $golden/expected" >&2
    exit 1
fi

status=0
"$@" check logs --out expected-pt --json --penalty 1 --start 2026-03-14 --end 2026-03-14T23:30 --lang pt \
    --categories categories.csv >out.txt 2>err.txt || status=$?
if [[ $status -ne 1 ]] || ! grep -q '^torv: categories.csv: line 16: power "MEGA" is not' <(tr -d '\r' <err.txt); then
    cat err.txt >&2
    echo "FAILED: exit code $status, or the bad line of categories.csv not told" >&2
    exit 1
fi
if ! diff -r "$golden/expected-pt" expected-pt >diff.txt; then
    head -40 diff.txt >&2
    echo "FAILED: the files differ from $golden/expected-pt" >&2
    exit 1
fi
echo "torv check wrote the expected files"
