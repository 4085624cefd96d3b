#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, only those missing.
set -euo pipefail
packages=(cmake g++ make python3 libgtest-dev libbenchmark-dev qt6-base-dev libcli11-dev
          fonts-wqy-microhei xvfb xauth clang libclang-rt-14-dev libstb-dev emscripten chromium nodejs
          g++-mingw-w64-x86-64-posix wine wine64 zip qt6-svg-dev qt6-translations-l10n
          desktop-file-utils appstream lintian help2man shared-mime-info
          ninja-build librsvg2-bin x11-apps xdotool)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${missing[@]}" >/dev/null
fi
# The npm packages of the page's build and tests, pinned in package-lock.json.
"$(dirname "$0")/npm_ci.sh"
