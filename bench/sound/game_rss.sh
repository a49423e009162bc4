#!/bin/sh
# The resident set of the real game a few seconds after start-up (title
# and opening, music started), on an Xvfb of its own, for two game folders
# run interleaved. Prints each run and the median and min-max of VmRSS and
# VmHWM in KiB. Usage: game_rss.sh before/game after/game [rounds] [seconds]
set -eu
before=$1 after=$2 rounds=${3:-5} wait_s=${4:-4}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
exec 3>"$work/fd"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
while [ ! -s "$work/fd" ]; do sleep 0.1; done
display=:$(cat "$work/fd")
run() {  # game folder, label
    rm -rf "$work/game" "$work/home"
    cp -r "$1" "$work/game"
    mkdir "$work/home"
    HOME="$work/home" DISPLAY=$display "$work/game/tessellon" >/dev/null 2>&1 &
    game=$!
    sleep "$wait_s"
    rss=$(awk '/^VmRSS:/ {print $2}' /proc/$game/status)
    hwm=$(awk '/^VmHWM:/ {print $2}' /proc/$game/status)
    kill "$game"
    wait "$game" 2>/dev/null || true
    echo "$2 rss $rss hwm $hwm" | tee -a "$work/runs"
}
i=0
while [ "$i" -lt "$rounds" ]; do
    run "$before" before
    run "$after" after
    i=$((i + 1))
done
kill "$xvfb"
for label in before after; do
    for field in rss hwm; do
        grep "^$label " "$work/runs" | awk -v f="$field" '{for (i = 2; i < NF; i++) if ($i == f) print $(i + 1)}' |
            sort -n | awk -v l="$label" -v f="$field" '
                { v[NR] = $1 }
                END { med = NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2;
                      printf "%-6s %-4s median %8d KiB  min %8d  max %8d  (n=%d)\n", l, f, med, v[1], v[NR], NR }'
    done
done
