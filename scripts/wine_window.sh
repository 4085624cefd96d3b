# Sourced by the scripts that run the Windows window under wine on a virtual
# display (scripts/windows_gui_shot.sh, scripts/windows_gui_check.sh).

# Starts wine's server for the prefix in $WINEPREFIX (ended when the script
# exits) and gives wine a dialog font. Tahoma, wine's own, is missing from
# Debian's wine (its fonts are not where wine looks for them), and Qt would
# draw the window in the first font it finds, a mathematical one whose text
# single-line fields cannot show. Windows always has its dialog font: here
# it is DejaVu Sans.
wine_start() {
  wineserver -p 2>/dev/null
  trap 'wineserver -k 2>/dev/null' EXIT
  local name
  for name in "MS Shell Dlg" "MS Shell Dlg 2"; do
    wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes' /v "$name" /d "DejaVu Sans" /f \
      >/dev/null 2>&1
  done
}

# Waits up to two minutes for the window and prints its X id: the first
# visible window that is not wine's input method window.
wine_window() {
  local window= _
  for _ in $(seq 600); do
    window=$(xdotool search --onlyvisible --name . 2>/dev/null | while read -r w; do
               [ "$(xdotool getwindowname "$w")" != "Default IME" ] && echo "$w"; done | head -1 || true)
    [ -n "$window" ] && break
    sleep 0.2
  done
  [ -n "$window" ] || { echo "no window appeared" >&2; return 1; }
  echo "$window"
}
