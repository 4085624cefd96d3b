#!/usr/bin/env bash
# Installs the npm packages pinned in package-lock.json into node_modules/
# when they are missing or older than the lock file.
set -euo pipefail
cd "$(dirname "$0")/.."
stamp=node_modules/.package-lock.json
if [ ! -f "$stamp" ] || [ package-lock.json -nt "$stamp" ]; then
  npm ci --ignore-scripts --no-audit --no-fund >/dev/null
fi
