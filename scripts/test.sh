#!/usr/bin/env bash
# Installs what is missing, builds everything with the sanitizers and runs every test.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
bash "$here/scripts/install-deps.sh"
cmake -S "$here" -B "$here/build-tests" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTARVENIO_SANITIZE=ON -DTARVENIO_WERROR=ON
cmake --build "$here/build-tests" -j "$(nproc)"
cd "$here/build-tests"
ctest --output-on-failure -j "$(nproc)" "$@"
