#!/usr/bin/env bash
# ./run windows-gui: the window for 64-bit Windows. Builds Qt Widgets for
# mingw-w64 once (scripts/windows_qt.sh, about an hour, into
# ~/.cache/led2vqn/qt6-mingw), then build-win-gui/led2vqn-gui.exe, a
# Windows program without a console, and zips it with the Qt libraries and
# plugins it loads, Qt's Chinese texts, the command line (led2vqn.exe from
# ./run windows), the readme and the examples:
#   bin\led2vqn-gui.exe, bin\led2vqn.exe, bin\*.dll, bin\qt.conf
#   plugins\platforms, plugins\styles, translations\, share\doc\led2vqn\,
#   examples\
# There is no Gcode.sdc in it (the folder may be where nobody can write):
# a note in its place says where it goes.
#   scripts/windows_gui.sh screenshot   also renders the window under wine
#                                       on a virtual display into
#                                       docs/windows-window.png and
#                                       docs/windows-window-zh.png
#   scripts/windows_gui.sh check        also uses the window under wine
#                                       (scripts/windows_gui_check.sh)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
build=build-win-gui
qt=${LED2VQN_QT_MINGW:-$HOME/.cache/led2vqn/qt6-mingw}
scripts/setup.sh
started=$(date +%s)
LED2VQN_QT_MINGW="$qt" scripts/windows_qt.sh
echo "Qt for Windows: ready in $qt ($(( $(date +%s) - started )) s)"

cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DCMAKE_BUILD_TYPE=Release \
  -DLED2VQN_QT_MINGW="$qt" -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
  -DLED2VQN_GUI=ON -DLED2VQN_TESTS=OFF -DLED2VQN_BENCH=OFF >/dev/null
cmake --build "$build" --target led2vqn-gui -j"$(nproc)"
scripts/windows_release.sh >/dev/null   # build-win/led2vqn.exe

version=$(sed -n 's/^project(led2vqn VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
name="led2vqn-$version-windows-x86_64-window"
stage="$build/$name"
rm -rf "$stage" "$build/$name.zip"
mkdir -p "$stage"/{bin,plugins/platforms,plugins/styles,translations,share/doc/led2vqn,examples}
cp "$build/led2vqn-gui.exe" build-win/led2vqn.exe "$stage/bin/"
cp "$qt"/bin/Qt6{Core,Gui,Widgets}.dll "$stage/bin/"
cp "$qt/plugins/platforms/qwindows.dll" "$stage/plugins/platforms/"
cp "$qt/plugins/styles/qwindowsvistastyle.dll" "$stage/plugins/styles/"
# Qt's libraries use the compiler's shared run-time libraries.
for dll in libstdc++-6.dll libgcc_s_seh-1.dll; do
  cp "$(x86_64-w64-mingw32-g++-posix -print-file-name=$dll)" "$stage/bin/"
done
cp /usr/x86_64-w64-mingw32/lib/libwinpthread-1.dll "$stage/bin/"
x86_64-w64-mingw32-strip --strip-unneeded "$stage"/bin/*.exe "$stage"/bin/*.dll "$stage"/plugins/*/*.dll
cp /usr/share/qt6/translations/qtbase_zh_CN.qm "$stage/translations/"
printf '[Paths]\r\nPrefix = ..\r\nPlugins = plugins\r\nTranslations = translations\r\n' >"$stage/bin/qt.conf"
cp README.md LICENSE docs/windows.md "$stage/share/doc/led2vqn/"
cp examples/*.led "$stage/examples/"
cat >"$stage/Gcode.sdc - where it goes.txt" <<'NOTE'
led2vqn needs the settings file Gcode.sdc of your cards. It is not in this
folder: put your own copy where the program finds it, the first of

  1. the file named by the environment variable LED2VQN_SETTINGS;
  2. bin\Gcode.sdc, beside the program (only where you may write to the
     folder: not under Program Files);
  3. %APPDATA%\led2vqn\Gcode.sdc, your own copy. The command line puts it
     there for you:
       bin\led2vqn.exe settings --import C:\path\to\Gcode.sdc

Then start bin\led2vqn-gui.exe (the window) or use bin\led2vqn.exe in a
console. More in share\doc\led2vqn\windows.md and README.md.
NOTE
sed -i 's/$/\r/' "$stage/Gcode.sdc - where it goes.txt"
(cd "$build" && zip -qr "$name.zip" "$name")
echo "built $build/led2vqn-gui.exe and $build/$name.zip ($(du -k "$build/$name.zip" | cut -f1) KiB)"

case "${1:-}" in
  screenshot | check) ;;
  *) exit 0 ;;
esac
export WINEPREFIX="$root/$build/wineprefix" WINEDLLOVERRIDES="mscoree,mshtml=" WINEDEBUG=-all
mkdir -p "$WINEPREFIX"
if [ "$1" = check ]; then
  # The window used under wine; its cards compared with the Linux build's.
  if [ ! -x build/led2vqn ]; then
    cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
    cmake --build build --target led2vqn -j"$(nproc)" >/dev/null
  fi
  LED2VQN_STAGE="$root/$stage" LED2VQN_EXAMPLES="$root/examples" LED2VQN_LINUX="$root/build/led2vqn" \
    xvfb-run -a -s "-screen 0 1400x900x24" scripts/windows_gui_check.sh
  exit
fi
# The window under wine on a virtual display, the examples added, in
# English and in Chinese.
for language in en zh; do
  shot=$(mktemp -d)
  cp examples/Gcode.sdc examples/*.led "$shot/"
  out="$root/docs/windows-window.png"
  [ $language = zh ] && out="$root/docs/windows-window-zh.png"
  LED2VQN_STAGE="$root/$stage" LED2VQN_SHOT="$shot" LED2VQN_OUT="$out" LED2VQN_LANGUAGE=$language \
    xvfb-run -a -s "-screen 0 1400x900x24" scripts/windows_gui_shot.sh
  rm -rf "$shot"
done
