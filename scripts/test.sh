#!/usr/bin/env bash
# Sets up, builds and runs every test (offscreen: no display needed).
# Usage: scripts/test.sh [BUILD_DIR] [extra cmake args...]
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
BUILD="${1:-$ROOT/build}"
shift || true
bash "$ROOT/scripts/install-deps.sh"
bash "$ROOT/scripts/build.sh" "$BUILD" "$@"
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$BUILD" --output-on-failure -j"${JOBS:-2}" --timeout 300
