#!/bin/sh
# Runs two builds of sound_bench interleaved, ROUNDS times each (default 7),
# with and without a device, and prints the median and min-max of each
# figure. Usage: compare_sound.sh before/sound_bench after/sound_bench music.ogg [rounds]
set -eu
before=$1 after=$2 music=$3 rounds=${4:-7}
out=$(mktemp)
trap 'rm -f "$out"' EXIT
i=0
while [ "$i" -lt "$rounds" ]; do
    for mode in device none; do
        printf 'before ' >>"$out"; "$before" "$music" "$mode" >>"$out"
        printf 'after ' >>"$out"; "$after" "$music" "$mode" >>"$out"
    done
    i=$((i + 1))
done
for mode in device none; do
    for build in before after; do
        for field in load_ms play_ms mix10_ms total_ms rss_growth_kib; do
            grep "^$build $mode " "$out" | awk -v f="$field" '{for (i = 3; i < NF; i++) if ($i == f) print $(i + 1)}' |
                sort -g | awk -v b="$build" -v m="$mode" -v f="$field" '
                    { v[NR] = $1 }
                    END { med = NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2;
                          printf "%-6s %-6s %-15s median %10.3f  min %10.3f  max %10.3f  (n=%d)\n", b, m, f, med, v[1], v[NR], NR }'
        done
    done
done
