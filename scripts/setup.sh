#!/bin/bash
# Installs what the builds need on a Debian machine; safe to run again.
#   setup.sh        the native build (libraries and the quintar tool)
#   setup.sh --plot also Ghostscript, to render plots
#   setup.sh --all  also the Windows cross build, Wine and the test tools
set -euo pipefail
packages=(cmake ninja-build g++ make python3 libcli11-dev googletest)
if [ "${1:-}" = "--plot" ]; then
  packages+=(ghostscript)
fi
if [ "${1:-}" = "--all" ]; then
  packages+=(g++-mingw-w64-x86-64-posix wine64 xvfb xauth ghostscript hp2xx clang
             libclang-rt-14-dev libbenchmark-dev)
fi
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo=sudo
  echo "Installing: ${missing[*]}"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
