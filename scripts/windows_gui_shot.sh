#!/usr/bin/env bash
# Run by scripts/windows_gui.sh inside xvfb-run: starts bin\led2vqn-gui.exe
# of the release folder $LED2VQN_STAGE under wine with the examples of
# $LED2VQN_SHOT added (spring.led, autumn.led; settings: its Gcode.sdc), waits for the window, and
# writes the window's picture to $LED2VQN_OUT (PNG). LED2VQN_LANGUAGE=zh
# shows it in Chinese (the settings file's language byte).
set -euo pipefail
scripts=$(cd "$(dirname "$0")" && pwd)
cd "$LED2VQN_SHOT"
if [ "${LED2VQN_LANGUAGE:-en}" = zh ]; then
  printf '1' | dd of=Gcode.sdc bs=1 seek=7 conv=notrunc status=none
fi
source "$scripts/wine_window.sh"
wine_start
LED2VQN_SETTINGS=Gcode.sdc wine "$LED2VQN_STAGE/bin/led2vqn-gui.exe" spring.led autumn.led >/dev/null 2>&1 &
window=$(wine_window)
sleep 4  # the rows are added and drawn
xwd -silent -id "$window" | python3 -c '
import struct, sys, zlib
data = sys.stdin.buffer.read()
h = struct.unpack(">25I", data[:100])
size, width, height, order, bpp, line, ncolors = h[0], h[4], h[5], h[7], h[11], h[12], h[19]
assert bpp == 32, bpp
pixels = data[size + 12 * ncolors:]
rows = []
for y in range(height):
    row = pixels[y * line:y * line + 4 * width]
    b, g, r = (row[0::4], row[1::4], row[2::4]) if order == 0 else (row[3::4], row[2::4], row[1::4])
    rgb = bytearray(3 * width)
    rgb[0::3], rgb[1::3], rgb[2::3] = r, g, b
    rows.append(b"\0" + bytes(rgb))
def chunk(kind, body):
    return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))
png = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
png += chunk(b"IDAT", zlib.compress(b"".join(rows), 9)) + chunk(b"IEND", b"")
open(sys.argv[1], "wb").write(png)
print("%s: %d x %d" % (sys.argv[1], width, height))
' "$LED2VQN_OUT"
