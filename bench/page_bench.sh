#!/usr/bin/env bash
# The page against the native program on the big card: an 8-port program of
# 3000 frames (FrameLength 24576, 74 MB) into a Z71 RGB card. Prints the
# native `convert` wall time, the page's time from the click on the output
# button to the card's download being offered, their ratio, and the page's
# renderer memory (resident at idle, peak, and the peak above idle against
# inputs + cards). Needs build/led2vqn, build-wasm/led2vqn.html and the
# golden cases' data generator beside the repository (../shared/golden/lib).
# Usage: bench/page_bench.sh [FRAMES]
set -euo pipefail
cd "$(dirname "$0")/.."
frames=${1:-3000}
work=$(mktemp -d /tmp/led2vqn-page-bench.XXXXXX)
trap 'rm -rf "$work"' EXIT
python3 - "$work" "$frames" <<'PY'
import sys
sys.path.insert(0, "../shared/golden/lib")
import mkdata
work, frames = sys.argv[1], int(sys.argv[2])
settings = mkdata.settings_bytes(1)
open(work + "/Gcode.sdc", "wb").write(settings)
with open(work + "/big.led", "wb") as f:
    f.write(mkdata.led_bytes(mkdata.program_table(settings), 24576, 8, frames, "random", seed=1))
PY
start=$(date +%s.%N)
(cd "$work" && "$OLDPWD/build/led2vqn" convert --model z71rgb --settings Gcode.sdc big.led >/dev/null)
native=$(echo "$(date +%s.%N) - $start" | bc)
card=$(ls "$work"/*.vqn)
echo "input $(stat -c %s "$work/big.led") bytes, card $(stat -c %s "$card") bytes"
echo "native convert: ${native} s"
rm -f "$card" "$work/Readme.txt"
node bench/page_bench.js "$work" "$native"
