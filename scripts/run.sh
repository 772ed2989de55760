#!/bin/bash
# The main job: set up, build the native tool, plot the example spectrum to
# PostScript, render the page (A4 landscape, as the plot's bounding box
# says) to PNG with Ghostscript, and print both paths.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh --plot
cmake --preset linux-release >/dev/null
cmake --build --preset linux-release
quintar=build/linux-release/bin/quintar
out=build/example
mkdir -p "$out"
rm -f "$out/ethanol.ps" "$out/ethanol.png"
"$quintar" info examples/ethanol-1h-400MHz.dat | head -3
"$quintar" plot examples/ethanol-1h-400MHz.dat --format ps --set F1=4.0 --set F2=0.8 \
  --set tickincrement=0.1 --set labelincrement=5 --set decimals=1 -o "$out/ethanol.ps"
"$quintar" logo "$out/ethanol.ps"
gs -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=png16m -r72 -dDEVICEWIDTHPOINTS=842 -dDEVICEHEIGHTPOINTS=596 -dFIXEDMEDIA -sOutputFile="$out/ethanol.png" "$out/ethanol.ps"
echo
echo "PostScript: $PWD/$out/ethanol.ps"
echo "PNG:        $PWD/$out/ethanol.png"
