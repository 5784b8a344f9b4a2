#!/usr/bin/env bash
# Installs what is missing, builds the program and starts it on its default data folder.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
bash "$here/scripts/install-deps.sh"
cmake -S "$here" -B "$here/build-release" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF
cmake --build "$here/build-release" --target tarvenio
program="$here/build-release/src/shell/tarvenio"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No hay pantalla: el programa se abre en una pantalla virtual (xvfb)."
  exec xvfb-run -a -s "-screen 0 1280x1024x24" "$program" "$@"
fi
exec "$program" "$@"
