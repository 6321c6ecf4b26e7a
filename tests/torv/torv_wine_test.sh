#!/usr/bin/env bash
# torv.exe under wine, held against Stats.dll driven by PelkSim.exe for the
# sample log (summary, error file, Cabrillo file), against the golden files
# the native torv is held against, and on the DLL's own Cabrillo file (the
# round trip). Windows line ends on standard output.
#   torv_wine_test.sh WINE_RUN PREFIX BIN_DIR TESTS_DIR
set -euo pipefail
run=$1 prefix=$2 bin=$3 tests=$4
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
cp "$tests/../examples/torv-sample.adi" sample.adi

fail() {
    echo "FAILED: $*" >&2
    exit 1
}
same() {  # same FILE EXPECTED_FILE WHAT
    cmp -s "$1" "$2" || { diff <(tr -d '\r' <"$1") <(tr -d '\r' <"$2") | head -20 >&2; fail "$3"; }
}

# The plug-in, as the host runs it.
mkdir dll
(cd dll && "$run" "$prefix" "$bin/PelkSim.exe" "load Stats.dll" \
    "expect-dialog TORV ok" "reset export PY2ZZ 2015-09-12T00:00 2015-09-13T23:59" "replay ../sample.adi" \
    "close-message Output" "result" >pelksim.out 2>pelksim.err) || { cat dll/pelksim.err >&2; fail "PelkSim"; }
tr -d '\r' <dll/pelksim.out | sed -n '/^GetResult0 status=/,/^Score: /p' | sed 1d >dll/summary.txt
[[ -s dll/summary.txt ]] || fail "no summary from PelkSim"

# The tool.
"$run" "$prefix" "$bin/torv.exe" score sample.adi --errors err.txt --cabrillo log.cbr >torv.out 2>torv.err ||
    { cat torv.err >&2; fail "torv.exe exited non-zero"; }
[[ ! -s torv.err ]] || { cat torv.err >&2; fail "torv.exe wrote to standard error"; }
# Every line ends in CR LF, and nothing else holds a CR.
[[ $(tr -cd '\r' <torv.out | wc -c) -eq $(tr -cd '\n' <torv.out | wc -c) ]] || fail "line ends are not CR LF"
[[ $(grep -c $'\r$' torv.out) -eq $(wc -l <torv.out) ]] || fail "a CR that is not before LF"

tr -d '\r' <torv.out >torv-summary.txt
same torv-summary.txt dll/summary.txt "torv.exe's summary is not Stats.dll's"
same err.txt dll/err.txt "torv.exe's findings are not Stats.dll's err.txt"
same log.cbr dll/PY2ZZ.cbr "torv.exe's Cabrillo file is not Stats.dll's"

# What the native torv is held against (tests/torv/torv_program_test.cpp).
{ cat "$tests/golden/sample.summary.txt"; printf '\r\n'; } >golden-stdout.txt
same torv.out golden-stdout.txt "torv.exe's standard output is not the native torv's"
same err.txt "$tests/golden/sample.err.txt" "torv.exe's error file is not the native torv's"
same log.cbr "$tests/golden/sample.cbr" "torv.exe's Cabrillo file is not the native torv's"

# A path that starts with '/' is a file, not a Windows-style option.
"$run" "$prefix" "$bin/torv.exe" score "$work/sample.adi" >absolute.out 2>absolute.err ||
    { cat absolute.err >&2; fail "an absolute path"; }
same absolute.out torv.out "an absolute path does not score alike"
# The library's own texts get Windows line ends too.
"$run" "$prefix" "$bin/torv.exe" --version >version.out
grep -q $'^torv [0-9.]*\r$' version.out || { od -c version.out >&2; fail "--version is not one CR LF line"; }

# The round trip: Stats.dll's Cabrillo file scored again.
"$run" "$prefix" "$bin/torv.exe" score dll/PY2ZZ.cbr >round.out 2>round.err || { cat round.err >&2; fail "round trip"; }
same round.out torv.out "DLL -> Cabrillo -> torv.exe score does not give the same summary"
# The same file in UTF-16 (with its mark), as some loggers write it.
{ printf '\xff\xfe'; iconv -f UTF-8 -t UTF-16LE dll/PY2ZZ.cbr; } >utf16.cbr
"$run" "$prefix" "$bin/torv.exe" score utf16.cbr >utf16.out 2>utf16.err || { cat utf16.err >&2; fail "UTF-16"; }
same utf16.out torv.out "a UTF-16 Cabrillo file does not score as its UTF-8 twin"

# An output is compared with the inputs as a file: other letter case names
# the same file on Windows.
cp sample.adi kept.adi
status=0
"$run" "$prefix" "$bin/torv.exe" score sample.adi --errors SAMPLE.ADI >case.out 2>case.err || status=$?
[[ $status -eq 2 ]] && grep -q 'is the log' case.err || { cat case.err >&2; fail "an output over the log, case aside"; }
cmp -s sample.adi kept.adi || fail "the log was overwritten"

cabrillo() {  # cabrillo CALLSIGN: a log of one contact
    printf 'START-OF-LOG: 3.0\r\nCALLSIGN: %s\r\nQSO:  7020 CW 2026-03-14 1200 PY9ZZZ        599 SP     ' "$1"
    printf 'PY2AAA        599 RJ\r\nEND-OF-LOG:\r\n'
}

# torv check alike: a log named as an output in other letter case.
mkdir -p caseout
cabrillo PY9ZZZ >caseout/QSOS.CSV
cp caseout/QSOS.CSV kept.csv
status=0
"$run" "$prefix" "$bin/torv.exe" check caseout/QSOS.CSV --out caseout >checkcase.out 2>checkcase.err || status=$?
[[ $status -eq 2 ]] && grep -q 'is one of the logs' checkcase.err ||
    { cat checkcase.err >&2; fail "an output of torv check over a log, case aside"; }
cmp -s caseout/QSOS.CSV kept.csv || fail "torv check overwrote the log"

# A file that cannot take its place is told, and no file is written
# (torv_exe_command_line_test.sh holds the rest of it).
mkdir -p taken/out/results.txt/inside
status=0
(cd taken && "$run" "$prefix" "$bin/torv.exe" check ../sample.adi --out out >../taken.out 2>../taken.err) || status=$?
[[ $status -eq 1 ]] && grep -q 'cannot write out/results.txt: ' taken.err || { cat taken.err >&2; fail "a file in the way"; }
[[ ! -e taken/out/results.html && ! -e taken/out/.results.txt.partial ]] || fail "a file in the way: the others"

# Calls from logs make safe names inside --out: no path, no device.
mkdir -p hostile/logs
calls=('..\..\EVIL' '../x' '..\results' 'CON' 'com1' 'NUL' 'A/P' 'A_P' '...' $'PY2\xc3\x87\xc3\x83O')
for i in "${!calls[@]}"; do
    cabrillo "${calls[$i]}" >"hostile/logs/$i.cbr"
done
(cd hostile && "$run" "$prefix" "$bin/torv.exe" check logs --out out >../hostile.out 2>../hostile.err) ||
    { cat hostile.err >&2; fail "torv.exe check of hostile calls"; }
expected=(committee.html qsos.csv results.csv results.html results.txt torv-check-files.txt)
for name in EVIL _X RESULTS _CON _COM1 _NUL A_P A_P-2 NOCALL PY2O; do
    expected+=("ubn/$name.html" "ubn/$name.txt")
done
diff <(printf '%s\n' "${expected[@]}" | LC_ALL=C sort) <(cd hostile/out && find . -type f | sed 's|^\./||' | LC_ALL=C sort) ||
    fail "hostile calls: the files written are not the safe names"
[[ -z $(find . -newer hostile/logs/0.cbr -type f ! -path './hostile/out/*' ! -path './hostile/logs/*' \
    ! -name 'hostile.*') ]] ||
    fail "hostile calls: a file was written outside --out"

# Paths in any language: the command line and every file name are UTF-16
# on Windows.
mkdir -p "logs ç"
cabrillo PY9ZZZ >"logs ç/PY9ZZZ cópia.cbr"
LC_ALL=C.UTF-8 "$run" "$prefix" "$bin/torv.exe" score "logs ç/PY9ZZZ cópia.cbr" --cabrillo "saída.cbr" \
    >utf8.out 2>utf8.err || { cat utf8.err >&2; fail "torv.exe score of a log named in Portuguese"; }
[[ -s saída.cbr ]] || fail "no Cabrillo file named in Portuguese"
LC_ALL=C.UTF-8 "$run" "$prefix" "$bin/torv.exe" check "logs ç" --out saída >utf8.out 2>utf8.err ||
    { cat utf8.err >&2; fail "torv.exe check of a folder named in Portuguese"; }
[[ -s saída/ubn/PY9ZZZ.txt && -s saída/results.html ]] || fail "torv.exe check wrote nothing into saída"
echo "torv.exe matches Stats.dll and the native torv"
