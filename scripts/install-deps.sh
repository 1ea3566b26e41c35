#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the benchmarks need.
# Only missing packages are installed, so a second run costs nothing.
set -euo pipefail
packages=(cmake ninja-build g++ clang libclang-rt-14-dev
          qt6-base-dev qt6-base-dev-tools libgl-dev
          libgtest-dev libgmock-dev
          qt6-qpa-plugins qt6-translations-l10n fonts-dejavu-core
          xvfb xauth xdotool openbox poppler-utils)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}" >&2
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
