#!/usr/bin/env bash
# torv.exe's command line as Windows users give it, under wine: wildcards
# that the program expands itself (cmd.exe leaves them to it), a pattern
# that matches nothing, and --out in a folder of logs named in other letter
# case; and a run that cannot write one file writes none.
#   torv_exe_command_line_test.sh WINE_RUN PREFIX TORV_EXE SAMPLE
set -euo pipefail
run=$1 prefix=$2 torv=$3 sample=$4
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

fail() {
    echo "FAILED: $*" >&2
    exit 1
}
cabrillo() {  # cabrillo CALLSIGN: a log of one contact
    printf 'START-OF-LOG: 3.0\r\nCALLSIGN: %s\r\nQSO:  7020 CW 2026-03-14 1200 %s        599 SP     ' "$1" "$1"
    printf 'PY2AAA        599 RJ\r\nEND-OF-LOG:\r\n'
}
# expect CODE FIRST_ERROR_LINE ARGUMENTS...: the exit code and the first line on standard error.
expect() {
    local code=$1 line=$2 status=0
    shift 2
    "$run" "$prefix" "$torv" "$@" >out.txt 2>err.txt || status=$?
    [[ $status -eq $code ]] || { cat err.txt >&2; fail "torv.exe $*: exit code $status, expected $code"; }
    [[ "$(head -1 err.txt | tr -d '\r')" == "$line" ]] ||
        { cat err.txt >&2; fail "torv.exe $*: the first message is not \"$line\""; }
}

mkdir -p logs/late
cabrillo PY2AAA >logs/PY2AAA.cbr
cabrillo PY2BBB >logs/PY2BBB.cbr
cabrillo PY2CCC >logs/PY2CCC.log
cabrillo PY9ZZZ >logs/late/PY9ZZZ.cbr

# * and ? in the last part of an argument, as cmd.exe's users write them.
expect 0 "" check 'logs\*.cbr' --out star
grep -q '^2 logs, ' out.txt || { cat out.txt >&2; fail "logs\\*.cbr: not the two .cbr logs"; }
expect 0 "" check 'logs/PY2???.*' --out question
grep -q '^3 logs, ' out.txt || { cat out.txt >&2; fail "logs/PY2???.*: not the three logs"; }
# A folder a pattern matches is given: it is read.
expect 0 "" check 'logs\*' --out all
grep -q '^4 logs, ' out.txt || { cat out.txt >&2; fail "logs\\*: not the three logs and late's"; }
expect 0 "torv: not read: logs/late/ is a folder; give it as an argument to check it" check logs --out some
grep -q 'not read: logs/late/ is a folder' some/committee.html || fail "the committee's page does not name late/"
expect 2 'torv: no file or folder matches logs\*.adi' check 'logs\*.adi' --out none
[[ ! -e none ]] || fail "a pattern that matches nothing wrote"

# --out in a folder of logs, whatever the letter case.
expect 2 "torv: --out LOGS\\results is in logs, a folder of logs: the results go into a folder of their own, outside it" \
    check logs --out 'LOGS\results'
expect 2 "torv: --out Logs is in logs/, a folder of logs: the results go into a folder of their own, outside it" \
    check logs/ --out Logs
[[ ! -e logs/results && ! -e logs/committee.html ]] || fail "results written among the logs"

# One file that cannot take its place: none does, and no temporary stays.
mkdir -p taken/out/results.txt/inside
expect 1 "torv: cannot write taken/out/results.txt: a folder is in its place" check "$sample" --out taken/out
[[ -z $(find taken/out -type f) && ! -e taken/out/ubn ]] || { find taken >&2; fail "a run that failed wrote"; }
echo "torv.exe takes its command line as Windows users give it"
