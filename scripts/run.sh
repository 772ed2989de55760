#!/bin/bash
# The main job: set up, build the native tool and show what it does.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake --preset linux-release >/dev/null
cmake --build --preset linux-release
quintar=build/linux-release/bin/quintar
echo
echo "== $quintar isotope H-1"
"$quintar" isotope H-1
echo
echo "== $quintar isotope C-13 --field 11.7434"
"$quintar" isotope C-13 --field 11.7434
