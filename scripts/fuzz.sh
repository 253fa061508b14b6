#!/usr/bin/env bash
# Runs the fuzz targets of a sanitizer build, each for a while from its committed corpus, at most
# two at a time. A crash, a sanitizer report or a broken property fails the run; the input that
# caused it is kept in the artifact folder and printed in base64 as well.
#
#   scripts/fuzz.sh [-t SECONDS] [-r RUNS] [-s SEED] [-j JOBS] [-b BUILD_DIR] [-o ARTIFACT_DIR]
#                   [NAME...]
#
# With -r and -s a run takes the same mutations from the same corpus whatever the machine's speed
# (-t still bounds it; a target's threads may still shift its coverage a little). CI fuzzes that
# way, so that what it finds is found again here.
# NAME is a target without its fuzz_ prefix (documents, lexer, ...); the default is every target
# the build holds. New inputs the fuzzer finds go to a scratch folder, not into fuzz/corpus/.
set -uo pipefail
cd "$(dirname "$0")/.."
seconds=60
jobs=2
build=build-sanitize
artifacts=
runs=
seed=
while getopts "t:r:s:j:b:o:" opt; do
    case $opt in
    t) seconds=$OPTARG ;;
    r) runs=$OPTARG ;;
    s) seed=$OPTARG ;;
    j) jobs=$OPTARG ;;
    b) build=$OPTARG ;;
    o) artifacts=$OPTARG ;;
    *) exit 2 ;;
    esac
done
shift $((OPTIND - 1))
source_dir=$PWD
# A smaller quarantine than ASan's 256 MB: the targets run millions of short inputs, and a freed
# block is still caught when it is used again soon after.
# Blocks remember only the call that allocated or freed them. Qt is built without frame pointers,
# so the fast unwinder reads the rest of a stack through Qt from whatever its registers held:
# nearly every such stack is new, and the runtime keeps each one for good, about 0.5 KB a run,
# enough to end a long run at the memory limit. A failing input is run again below with whole
# stacks.
replay_options="quarantine_size_mb=32${ASAN_OPTIONS:+:$ASAN_OPTIONS}"
export ASAN_OPTIONS="quarantine_size_mb=32:malloc_context_size=2${ASAN_OPTIONS:+:$ASAN_OPTIONS}"
artifacts=${artifacts:-$build/fuzz-artifacts}
mkdir -p "$artifacts"
artifacts=$(cd "$artifacts" && pwd)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

names=("$@")
if [ ${#names[@]} -eq 0 ]; then
    for program in "$build"/fuzz/fuzz_*; do
        [ -x "$program" ] && [ -f "$program" ] && names+=("${program##*/fuzz_}")
    done
fi
if [ ${#names[@]} -eq 0 ]; then
    echo "No fuzz targets in $build/fuzz (configure with: cmake --preset sanitize)" >&2
    exit 2
fi

# One target: its log in the scratch folder, its failing input in the artifact folder.
run_one() {
    local name=$1 program=$build/fuzz/fuzz_$name corpus=$source_dir/fuzz/corpus/$name
    local dict=$source_dir/fuzz/corpus/$name.dict log=$scratch/$name.log
    mkdir -p "$scratch/$name"
    # Leaks are looked for once, when the run ends: Qt's caches grow during many runs, and
    # looking after each of them would cost most of the time.
    local options=(-max_total_time="$seconds" -timeout=10 -rss_limit_mb=3072 -detect_leaks=0
                   -print_final_stats=1 -artifact_prefix="$artifacts/$name-")
    [ -f "$dict" ] && options+=(-dict="$dict")
    [ -n "$runs" ] && options+=(-runs="$runs")
    [ -n "$seed" ] && options+=(-seed="$seed")
    nice -n 10 "$program" "${options[@]}" "$scratch/$name" "$corpus" >"$log" 2>&1
    echo $? >"$scratch/$name.status"
}

active=0
for name in "${names[@]}"; do
    run_one "$name" &
    active=$((active + 1))
    if [ "$active" -ge "$jobs" ]; then
        wait -n
        active=$((active - 1))
    fi
done
wait

failed=0
for name in "${names[@]}"; do
    log=$scratch/$name.log
    status=$(cat "$scratch/$name.status" 2>/dev/null || echo 1)
    summary=$(grep -E '^#[0-9]+[[:space:]]+DONE' "$log" | tail -1)
    [ -n "$summary" ] || summary=$(grep -E '^#[0-9]+[[:space:]]' "$log" | tail -1)
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log")
    echo "fuzz_$name: status $status, ${runs:-0} runs, ${rate:-0}/s; ${summary:-no summary}"
    if [ "$status" -ne 0 ]; then
        failed=1
        echo "---- fuzz_$name failed; the end of its log:"
        tail -60 "$log"
        for input in "$artifacts/$name-"*; do
            [ -f "$input" ] || continue
            echo "---- failing input $input (base64):"
            base64 -w 100 "$input"
            echo "---- fuzz_$name on that input again, with whole allocation stacks:"
            ASAN_OPTIONS=$replay_options timeout 60 "$build/fuzz/fuzz_$name" "$input" 2>&1 | tail -80
        done
    fi
done
exit $failed
