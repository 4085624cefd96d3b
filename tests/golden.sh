#!/usr/bin/env bash
# Runs the golden cases against the built program, less the cases listed in
# golden_skip.txt (each printed with its reason on every run), then verifies
# every card they leave against its program (golden_verify.py).
#   golden.sh CHECK PROGRAM             the Linux program
#   golden.sh CHECK PROGRAM --windows   a wrapper running led2vqn.exe under
#       wine: paths are compared in their Windows spellings, the cases of
#       golden_skip_windows.txt are skipped too, and the cards are not
#       verified again (the Linux stage does it; each wine start is slow)
set -uo pipefail
check=$1
program=$2
here=$(dirname "$0")
skipFiles=("$here/golden_skip.txt")
extra=()
windows=0
if [ "${3:-}" = --windows ]; then
  windows=1
  skipFiles+=("$here/golden_skip_windows.txt")
  extra+=(--windows-paths)
fi
args=()
skipped=()
for skipFile in "${skipFiles[@]}"; do
  while IFS= read -r line; do
    case "$line" in ''|'#'*) continue ;; esac
    skipped+=("${line%% *}")
    echo "SKIP ${line}"
  done < "$skipFile"
done
for name in $("$check" --list | awk '{print $1}'); do
  skip=0
  for s in "${skipped[@]}"; do [ "$s" = "$name" ] && skip=1; done
  [ $skip -eq 0 ] && args+=(-s "$name")
done
[ ${#args[@]} -eq 0 ] && { echo "no golden case to run"; exit 0; }
[ $windows -eq 1 ] && exec "$check" "${extra[@]}" "$program" -j 2 "${args[@]}"
keep=$(mktemp -d)
trap 'rm -rf "$keep"' EXIT
TMPDIR="$keep" "$check" "$program" -j 2 --keep "${args[@]}"
status=$?
for kept in "$keep"/*/; do
  python3 "$here/golden_verify.py" "$program" "$kept" || status=1
done
exit $status
