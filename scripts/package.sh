#!/usr/bin/env bash
# Installs what is missing, builds the program in Release and makes its Debian package:
#   bash scripts/package.sh [BUILD_FOLDER]    (default build-package; the .deb is left there)
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$here/build-package}"
bash "$here/scripts/install-deps.sh"
# Debian's hardening flags (stack protector, fortified functions, read-only relocations bound at
# start); CMake reads CXXFLAGS and LDFLAGS when it first configures the folder, but not CPPFLAGS.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
eval "$(dpkg-buildflags --export=sh)"
export CXXFLAGS="$CPPFLAGS $CXXFLAGS"
cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF
cmake --build "$build" -j "$(nproc)" --target tarvenio
(cd "$build" && cpack -G DEB)
ls "$build"/tarvenio_*.deb
