#!/usr/bin/env bash
# Installs the Debian packages the build, the program and the tests need; skips apt when all are there.
set -euo pipefail
packages=(cmake ninja-build g++ pkg-config qt6-base-dev qt6-base-dev-tools qt6-svg-dev libgl-dev libsqlite3-dev libarchive-dev libxcb1-dev
          fonts-liberation2 qt6-translations-l10n xvfb xauth openbox x11-apps x11-utils strace poppler-utils cups
          printer-driver-cups-pdf dpkg-dev lintian desktop-file-utils appstream file man-db clang-format "$@")
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Instalando: ${missing[*]}"
  apt-get update
  apt-get install -y --no-install-recommends "${missing[@]}"
fi
