#!/bin/sh
# Sets up Tessellon on Debian 12: installs the missing Debian packages,
# builds the game folder, then plays the game or runs every test.
#   ./setup.sh play    build and start the game on the current X display
#   ./setup.sh test    build and run the unit and end-to-end tests
set -e
cd "$(dirname "$0")"

PACKAGES="cmake ninja-build g++ pkg-config \
  libx11-dev libxxf86vm-dev libxrandr-dev libxtst-dev libxfixes-dev libgl-dev libglu1-mesa-dev libgl1-mesa-dri \
  libfreetype-dev libpng-dev libjpeg-dev zlib1g-dev libvorbis-dev libasound2-dev \
  libgtest-dev libbenchmark-dev fonts-wine fonts-liberation xvfb xauth \
  dpkg-dev desktop-file-utils appstream openbox"

missing=""
for p in $PACKAGES; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
if [ -n "$missing" ]; then
  echo "Installing:$missing"
  if [ "$(id -u)" = 0 ]; then SUDO=""; else SUDO="sudo"; fi
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends $missing
fi

BUILD=${BUILD_DIR:-build}
# Tests build with warnings as errors; playing does not stop on a warning.
if [ "${1:-play}" = test ]; then WERROR=ON; else WERROR=OFF; fi
cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTESSELLON_WERROR=$WERROR >/dev/null
ninja -C "$BUILD"

case "${1:-play}" in
  play)
    if [ -z "$DISPLAY" ]; then
      echo "No X display: set DISPLAY (for example run this from a desktop terminal)." >&2
      exit 1
    fi
    exec "$BUILD/game/tessellon"
    ;;
  test)
    cd "$BUILD" && ctest --output-on-failure -j2
    ;;
  *)
    echo "usage: ./setup.sh play | test" >&2
    exit 2
    ;;
esac
