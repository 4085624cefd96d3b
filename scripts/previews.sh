#!/usr/bin/env bash
# Renders the README's timeline pictures into docs/: a wiring-check program
# and the Z58 card made from it at brightness 50 (preview-program.png,
# preview-card.png), and one picture of each pattern kind (pattern-KIND.png).
# Settings: examples/Gcode.sdc. The build folder is build/ (or $LED2VQN_BUILD_DIR).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${LED2VQN_BUILD_DIR:-build}
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --target led2vqn -j"$(nproc)" >/dev/null
exe="$(pwd)/$build/led2vqn"
settings="$(pwd)/examples/Gcode.sdc"
docs="$(pwd)/docs"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
for kind in ports colours chase ramp; do
  "$exe" pattern "$kind" --ports 4 --pixels 24 --settings "$settings" -o "$kind.led" >/dev/null
  "$exe" preview "$kind.led" --scale 2 --settings "$settings" -o "$docs/pattern-$kind.png"
done
"$exe" convert --model z58 --brightness 50 --settings "$settings" ports.led >/dev/null
"$exe" preview ports.led --scale 2 --settings "$settings" -o "$docs/preview-program.png"
"$exe" preview ports_4P_Z58RGB_10K.vqn --scale 2 --settings "$settings" -o "$docs/preview-card.png"
"$exe" verify ports_4P_Z58RGB_10K.vqn ports.led --settings "$settings"
