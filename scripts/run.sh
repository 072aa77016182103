#!/usr/bin/env bash
# Sets up, builds and starts Zoetrix. Without a display it runs under xvfb-run.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
bash "$ROOT/scripts/install-deps.sh"
bash "$ROOT/scripts/build.sh" "$ROOT/build"
TOOL="$ROOT/build/bin/zoetrix"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  echo "run: no display found; starting under xvfb-run" >&2
  exec xvfb-run -a -s "-screen 0 1280x900x24" "$TOOL" "$@"
fi
exec "$TOOL" "$@"
