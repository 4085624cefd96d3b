#!/usr/bin/env bash
# Renders the page (docs/page.png, scripts/page_screenshot.js) and the main window with the examples added (examples/*.led, settings
# examples/Gcode.sdc), in English and in Chinese, into docs/window-en.png and
# docs/window-zh.png, 1182 x 725 pixels; the window converting with its
# progress bar half way (window-converting.png), sixteen rows scrolled
# (window-16-rows.png), the Chinese open dialog (file-dialog-zh.png) and a
# whole 1366 x 768 screen (screen-1366x768.png). Runs on a virtual X display
# (xvfb-run, without a window manager, so the window has no frame), or on
# Qt's offscreen platform where xvfb-run is missing (which reserves a 2-pixel
# frame: the pictures are then 4 pixels smaller). No real display is needed.
# The build folder is build/ (or $LED2VQN_BUILD_DIR), as for ./run.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${LED2VQN_BUILD_DIR:-build}
log=$(mktemp)
trap 'rm -f "$log"' EXIT
if ! { scripts/setup.sh && cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo &&
       cmake --build "$build" --target led2vqn_gui_tests -j"$(nproc)"; } >"$log" 2>&1; then
  cat "$log" >&2
  echo "screenshots: the build failed (the window needs Qt 6 Widgets and LED2VQN_GUI=ON)" >&2
  exit 1
fi
mkdir -p docs
render=(env QT_QPA_PLATFORM=offscreen)
if command -v xvfb-run >/dev/null; then
  render=(xvfb-run -a -s "-screen 0 1400x900x24" env QT_QPA_PLATFORM=xcb)
fi
laptop=("${render[@]}")
[ "${render[0]}" = xvfb-run ] && laptop=(xvfb-run -a -s "-screen 0 1366x768x24" env QT_QPA_PLATFORM=xcb)
for pass in "render:Pictures.*:Screenshots.*-Screenshots.WholeLaptopScreen" "laptop:Screenshots.WholeLaptopScreen"; do
  how=${pass%%:*}
  filter=${pass#*:}
  if [ "$how" = render ]; then run=("${render[@]}"); else run=("${laptop[@]}"); fi
  "${run[@]}" LED2VQN_SCREENSHOTS="$(pwd)/docs" XDG_CONFIG_HOME="$(mktemp -d)" \
    "$build/tests/led2vqn_gui_tests" --gtest_filter="$filter" >"$log" 2>&1 || {
    cat "$log" >&2
    echo "screenshots: rendering the window failed" >&2
    exit 1
  }
done
# The page, in headless Chromium (scripts/wasm.sh builds it).
if ! scripts/wasm.sh page >"$log" 2>&1 || ! node scripts/page_screenshot.js >"$log" 2>&1; then
  cat "$log" >&2
  echo "screenshots: rendering the page failed" >&2
  exit 1
fi
ls -l docs/*.png
