#!/bin/bash
# CPU seconds per second of the real game drawing on the software rasteriser, offscreen, in the
# default presentation and with --classic, on the title screen and in a mission. The modes are
# run alternately so that load from elsewhere on the machine falls on both alike; medians.
# usage: bench/presentation_cpu.sh BUILD_DIR [ROUNDS] [TICKS] [extra vantrel options...]
set -euo pipefail
build=${1:?build directory}
rounds=${2:-3}
ticks=${3:-500}
shift $(( $# < 3 ? $# : 3 ))
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
printf 'seed 5\n2 SPACE\n4 SPACE\n' > "$work/mission.txt"
: > "$work/title.txt"

# CPU (user + system) over wall time of one run, startup included.
cpu_per_second() {
    local script=$1; shift
    /usr/bin/time -f '%U %S %e' -o "$work/time" env SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy \
        "$build/vantrel" --window --no-sound --data "$build/data" --input "$script" --quit-after "$ticks" "$@" \
        > /dev/null 2>&1 || true
    tail -n 1 "$work/time" | awk '{ printf "%.3f\n", ($1 + $2) / $3 }'
}

median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

declare -A results
for ((r = 0; r < rounds; r++)); do
    for scene in mission title; do
        results[$scene-default]+="$(cpu_per_second "$work/$scene.txt" "$@") "
        results[$scene-classic]+="$(cpu_per_second "$work/$scene.txt" --classic "$@") "
    done
done
for key in mission-default mission-classic title-default title-classic; do
    printf '%-16s median %s  (runs: %s)\n' "$key" "$(tr ' ' '\n' <<< "${results[$key]}" | grep . | median)" "${results[$key]}"
done
