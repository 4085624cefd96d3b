#!/usr/bin/env bash
# ./run windows: cross-builds the command line for 64-bit Windows with
# mingw-w64 into build-win/led2vqn.exe (one self-contained program, no
# window) and zips a release beside it: led2vqn.exe, README.md, LICENSE,
# docs/windows.md and the examples.
set -euo pipefail
cd "$(dirname "$0")/.."
build=build-win
scripts/setup.sh
cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DCMAKE_BUILD_TYPE=Release \
  -DLED2VQN_GUI=OFF -DLED2VQN_BENCH=OFF >/dev/null
cmake --build "$build" --target led2vqn -j"$(nproc)"
version=$(sed -n 's/^project(led2vqn VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
name="led2vqn-$version-windows-x86_64"
stage="$build/$name"
rm -rf "$stage" "$build/$name.zip"
mkdir -p "$stage/examples"
cp "$build/led2vqn.exe" README.md LICENSE docs/windows.md "$stage/"
cp examples/Gcode.sdc examples/*.led "$stage/examples/"
(cd "$build" && zip -qr "$name.zip" "$name")
rm -rf "$stage"
echo "built $build/led2vqn.exe and $build/$name.zip"
