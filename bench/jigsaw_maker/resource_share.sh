#!/bin/bash
# Measures the resource step's share of a clean build: configures and
# builds the whole tree in a fresh folder, then reads ninja's log for the
# time spent making images, sounds and the starter library (the commands
# that run the tools, not compiling them) against all build steps.
# Usage: bench/jigsaw_maker/resource_share.sh [JOBS]   (default 2)
set -euo pipefail
src=$(cd "$(dirname "$0")/../.." && pwd)
jobs=${1:-2}
build=$(mktemp -d)
trap 'rm -rf "$build"' EXIT
cmake -S "$src" -B "$build" -G Ninja >/dev/null
start=$(date +%s.%N)
ninja -C "$build" -j"$jobs" >/dev/null
end=$(date +%s.%N)
# .ninja_log lines: start_ms end_ms mtime output command_hash; a command
# with several outputs has one line per output, counted once.
awk -v wall="$(echo "$end - $start" | bc)" '
  /^#/ { next }
  seen[$5]++ { next }
  { d = $2 - $1; all += d
    if ($4 ~ /(^|\/)game\/(images|sounds|jigsaws)\// || $4 ~ /starter_library\/pictures\//) { res += d; n++
      if (first == "" || $1 < first) first = $1
      if ($2 > last) last = $2 } }
  END {
    printf "clean build wall time:          %.1f s\n", wall
    printf "all build steps (summed):       %.1f s\n", all / 1000
    printf "resource steps (summed, %d):    %.1f s\n", n, res / 1000
    printf "resource share of build work:   %.1f %%\n", 100 * res / all
    printf "resource steps span (wall):     %.1f s, from %.1f s to %.1f s into the build\n", (last - first) / 1000, first / 1000, last / 1000
  }' "$build/.ninja_log"
