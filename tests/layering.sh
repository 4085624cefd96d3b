#!/usr/bin/env bash
# Fails when a folder of src/ includes one it may not: the include arrows
# point one way, from the views down to the foundation.
set -uo pipefail
src=${1:-$(dirname "$0")/../src}
declare -A allowed=(
  [base]=""
  [output]="base"
  [input]="base"
  [project]="output input base"
  [modes]="output base"
  [app]="project modes output input base"
  [gui]="app project modes output input base"
  [cli]="gui app project modes output input base"
  [web]="app project modes output input base"
)
status=0
for folder in "$src"/*/; do
  name=$(basename "$folder")
  [ -v "allowed[$name]" ] || { echo "layering: src/$name has no place in the layers"; status=1; continue; }
  while IFS=: read -r file line include; do
    target=${include#*\"}; target=${target%%/*}
    [ "$target" = "$name" ] && continue
    case " ${allowed[$name]} " in *" $target "*) continue ;; esac
    if [ "$name" = cli ] && [ "$target" = gui ] && [[ "$include" == *gui/window_entry.hpp* ]]; then continue; fi
    echo "layering: ${file#"$src"/}:$line includes $target/ (src/$name may include: ${allowed[$name]:-nothing of ours})"
    status=1
  done < <(grep -rnE '^\s*#\s*include\s+"[a-z]+/' "$folder")
done
[ $status -eq 0 ] && echo "layering: every include follows the layers"
exit $status
