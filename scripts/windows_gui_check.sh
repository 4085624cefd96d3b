#!/usr/bin/env bash
# Run by scripts/windows_gui.sh check inside xvfb-run: the Windows window
# under wine, used as a person would. It starts bin\led2vqn-gui.exe of the
# release folder $LED2VQN_STAGE with 春天.led (a copy of spring.led) named on
# its command line, adds autumn.led through the open dialog (Ctrl+O, the
# name typed, Enter), presses "Output Z71RGB(10K)" and waits for the cards.
# The cards and Readme.txt must hold the bytes the Linux command line
# ($LED2VQN_LINUX) writes for the same two files. The folder they are in has
# Chinese characters in its name. Prints what it checked.
set -euo pipefail
scripts=$(cd "$(dirname "$0")" && pwd)
here=$(mktemp -d)
# The window's folder has Chinese characters in its name.
folder="$here/窗口"
mkdir "$folder" "$here/linux"
for side in 窗口 linux; do
  cp "$LED2VQN_EXAMPLES/Gcode.sdc" "$LED2VQN_EXAMPLES/autumn.led" "$here/$side/"
  cp "$LED2VQN_EXAMPLES/spring.led" "$here/$side/春天.led"
done
(cd "$here/linux" && "$LED2VQN_LINUX" convert --model z71rgb --settings Gcode.sdc 春天.led autumn.led >/dev/null)

source "$scripts/wine_window.sh"
wine_start
trap 'wineserver -k 2>/dev/null; rm -rf "$here"' EXIT
# The open dialog starts in the folder it last chose: forget it.
rm -f "$WINEPREFIX/drive_c/users/$(id -un)/AppData/Local/led2vqn/led2vqn.conf"
cd "$folder"
LED2VQN_SETTINGS=Gcode.sdc wine "$LED2VQN_STAGE/bin/led2vqn-gui.exe" 春天.led >/dev/null 2>&1 &
disown
window=$(wine_window)
sleep 3
xdotool windowfocus --sync "$window"
# The open dialog starts in the program file's folder (the one the window
# was started in): the name alone is enough.
xdotool key --window "$window" ctrl+o
sleep 6
xdotool type --delay 50 autumn.led
sleep 1
xdotool key Return
sleep 3
# "Output Z71RGB(10K)": its place in the window.
xdotool mousemove --window "$window" 413 20 click 1
for _ in $(seq 300); do
  [ -f Readme.txt ] && break
  sleep 0.2
done
sleep 2
for f in 春天_4P_Z71RGB_10K.vqn autumn_2P_Z71RGB_10K.vqn Readme.txt; do
  [ -f "$f" ] || { echo "the window wrote no $f (folder: $(ls | tr '\n' ' '))" >&2; exit 1; }
done
python3 - "$here" <<'PY'
import os, sys
here = sys.argv[1]
for name in ("春天_4P_Z71RGB_10K.vqn", "autumn_2P_Z71RGB_10K.vqn"):
    a = open(os.path.join(here, "窗口", name), "rb").read()
    b = open(os.path.join(here, "linux", name), "rb").read()
    assert a == b, "%s differs from the Linux card" % name
# The readme: the same lines once the local date and time and the folder
# are set aside, the folder as each system spells it (so the paths the
# window took, the dialog's too, are spelled with backslashes).
def readme(side, prefix):
    lines = open(os.path.join(here, side, "Readme.txt"), "rb").read().split(b"\r\n")
    lines[0] = lines[0][lines[0].index(b"   "):]  # after the local date and time
    return [l.replace(prefix.encode("gbk"), b"<FOLDER>") for l in lines]
linux = readme("linux", os.path.join(here, "linux") + "/")
window = readme("窗口", "Z:" + os.path.join(here, "窗口").replace("/", "\\") + "\\")
assert linux == window, (linux, window)
print("the window under wine: 春天.led from its command line, autumn.led through the open dialog, "
      "Output Z71RGB(10K): the cards and Readme.txt the Linux command line writes")
PY
