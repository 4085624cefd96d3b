#!/usr/bin/env bash
# Builds the WebAssembly targets into build-wasm/ (Debian's emscripten):
#   build-wasm/led2vqn.js    the command line for Node (runnable: #!/usr/bin/env node)
#   build-wasm/led2vqn.html  the page, one self-contained file (web/, src/web/)
# Usage: scripts/wasm.sh [node|page|all]   (default all)
set -euo pipefail
cd "$(dirname "$0")/.."
what=${1:-all}
build=build-wasm
# emcc's own tools need acorn, which Debian keeps in /usr/share/nodejs.
export NODE_PATH=/usr/share/nodejs${NODE_PATH:+:$NODE_PATH}
# Debian's header-only libraries, without the rest of /usr/include.
mkdir -p "$build/host-include"
ln -sfn /usr/include/CLI "$build/host-include/CLI"
ln -sfn /usr/include/stb "$build/host-include/stb"
if ! grep -q "^LED2VQN_HOST_INCLUDE:PATH=." "$build/CMakeCache.txt" 2>/dev/null; then
  emcmake cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_CROSSCOMPILING_EMULATOR=/usr/bin/node -DLED2VQN_HOST_INCLUDE="$(pwd)/$build/host-include" >/dev/null
fi
targets=()
case "$what" in
  node) targets=(led2vqn led2vqn_large_offsets) ;;
  page) targets=(led2vqn_web) ;;
  all) targets=(led2vqn led2vqn_large_offsets led2vqn_web) ;;
  *) echo "usage: scripts/wasm.sh [node|page|all]" >&2; exit 2 ;;
esac
# One target at a time: each build first refreshes a stale configuration.
for target in "${targets[@]}"; do
  cmake --build "$build" --target "$target" -j"$(nproc)"
done
if [ "$what" != node ]; then
  scripts/npm_ci.sh
  node web/bundle.js "$build/led2vqn_web.js" "$build/led2vqn.html"
fi
