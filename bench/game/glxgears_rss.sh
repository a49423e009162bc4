#!/bin/sh
# The memory floor of a GL program on the software renderer: the resident
# set of glxgears (mesa-utils) in an 800x600 window on an Xvfb of its own,
# the same screen bench_game uses. The game's RSS above this figure is what
# the game itself costs. Prints each run and the median and min-max of
# VmRSS in KiB. Usage: glxgears_rss.sh [rounds] [seconds]
set -eu
rounds=${1:-5} wait_s=${2:-3}
command -v glxgears >/dev/null || { echo "glxgears not found: install mesa-utils" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
exec 3>"$work/fd"
Xvfb -displayfd 3 -screen 0 800x600x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
while [ ! -s "$work/fd" ]; do sleep 0.1; done
display=:$(cat "$work/fd")
i=0
while [ "$i" -lt "$rounds" ]; do
    DISPLAY=$display glxgears -geometry 800x600 >/dev/null 2>&1 &
    gears=$!
    sleep "$wait_s"
    rss=$(awk '/^VmRSS:/ {print $2}' /proc/$gears/status)
    kill "$gears"
    wait "$gears" 2>/dev/null || true
    echo "glxgears rss $rss" | tee -a "$work/runs"
    i=$((i + 1))
done
kill "$xvfb"
awk '{print $3}' "$work/runs" | sort -n | awk '
    { v[NR] = $1 }
    END { med = NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2;
          printf "glxgears rss median %8d KiB  min %8d  max %8d  (n=%d)\n", med, v[1], v[NR], NR }'
