#!/bin/sh
# Random-input soak of the sanitizer build: tests/soak/soak.sh [MINUTES] [SEED]
# from the repository root. Builds build-asan (-DTESSELLON_SANITIZE=ON) if
# needed, runs the game on its own Xvfb from a temporary copy of the game
# folder (the harness removes that copy afterwards) and prints the seed,
# RSS every 30 s, and every crash, stall and sanitizer report. Exit status
# 1 when any was found. Nothing outside the temporary folders is touched.
set -eu
minutes=${1:-10}
seed=${2:-$(date +%s)}
build=${SOAK_BUILD:-build-asan}
if [ ! -f "$build/build.ninja" ]; then
    cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTESSELLON_SANITIZE=ON
fi
ninja -C "$build" -j2 soak_driver
logs=$(mktemp -d "${TMPDIR:-/tmp}/tessellon-soak-XXXXXX")
echo "soak: seed $seed, $minutes minutes, sanitizer logs in $logs"
status=0
"$build/tests/soak/soak_driver" "$seed" "$minutes" "$logs" || status=$?
for log in "$logs"/game.*; do
    [ -s "$log" ] || continue
    echo "---- $log"
    head -n 60 "$log"
done
exit $status
