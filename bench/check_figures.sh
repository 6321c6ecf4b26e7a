#!/usr/bin/env bash
# torv check side by side on one contest, for docs/performance.md: the
# files read once (cat | wc, the floor), then for each build the native
# torv and torv.exe under wine, each run RUNS times in turn; wall time and
# peak memory (maximum resident set) from GNU time, as ranges, and the
# median of the pairs' ratios, torv.exe's time over torv's run just before.
#   bench/check_figures.sh LOGS_DIR RUNS NAME=FOLDER [NAME=FOLDER...]
# Each FOLDER holds torv and, optionally, torv.exe. The outputs go to a
# temporary folder beside LOGS_DIR, and every build's files are compared
# with the first build's native ones (they must be the same bytes).
set -euo pipefail
logs=$(realpath "$1") runs=$2
shift 2
work=$(mktemp -d "$(dirname "$logs")/figures.XXXXXX")
trap 'rm -rf "$work"' EXIT
: "${WINEPREFIX:?set WINEPREFIX to a prepared prefix (scripts/wine-prefix)}"
export WINEARCH=win32 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d"

declare -A seconds memory ratios
order=("cat | wc")
measure() {  # name, command...
    local name=$1
    shift
    local figures
    figures=$(/usr/bin/time -f "%e %M" "$@" 2>&1 >/dev/null | tail -1)
    last=${figures% *}
    seconds[$name]+="${figures% *} "
    memory[$name]+="${figures#* } "
}
for ((run = 1; run <= runs; run++)); do
    measure "cat | wc" sh -c "cat '$logs'/* | wc -c"
    for build in "$@"; do
        name=${build%%=*} folder=$(realpath "${build#*=}")
        [[ $run == 1 ]] && order+=("$name torv")
        rm -rf "$work/$name-native"
        measure "$name torv" "$folder/torv" check "$logs" --out "$work/$name-native" --json
        native=$last
        if [[ -x $folder/torv.exe ]]; then
            [[ $run == 1 ]] && order+=("$name torv.exe (wine)")
            rm -rf "$work/$name-wine"
            measure "$name torv.exe (wine)" wine "$folder/torv.exe" check "$logs" --out "$work/$name-wine" --json
            ratios[$name]+="$(awk -v w="$last" -v n="$native" 'BEGIN { printf "%.2f", w / n }') "
        fi
    done
    uptime >&2
done
first=${1%%=*}
for build in "$@"; do
    name=${build%%=*}
    for out in "$work/$name-native" "$work/$name-wine"; do
        [[ -d $out ]] && ! diff -rq "$work/$first-native" "$out" >/dev/null && echo "DIFFERENT: $out" >&2
    done
done
range() { tr ' ' '\n' | sed '/^$/d' | sort -g | sed -n '1p;$p' | paste -sd' '; }
printf '| | wall clock (s) | peak memory (MB) |\n|---|---:|---:|\n'
for name in "${order[@]}"; do
    read -r low high <<<"$(range <<<"${seconds[$name]}")"
    read -r mlow mhigh <<<"$(range <<<"${memory[$name]}")"
    printf '| %s | %s to %s | %d to %d |\n' "${name//|/\\|}" "$low" "$high" $((mlow / 1024)) $((mhigh / 1024))
done
for build in "$@"; do
    name=${build%%=*}
    [[ -n ${ratios[$name]:-} ]] || continue
    printf '| %s torv.exe / torv, median of %d pairs | %s | |\n' "$name" "$runs" \
        "$(tr ' ' '\n' <<<"${ratios[$name]}" | sed '/^$/d' | sort -g |
            awk '{ r[NR] = $1 } END { print (NR % 2 ? r[(NR + 1) / 2] : (r[NR / 2] + r[NR / 2 + 1]) / 2) }')"
done
