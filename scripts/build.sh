#!/usr/bin/env bash
# Configures and builds Zoetrix. Usage: scripts/build.sh [BUILD_DIR] [extra cmake args...]
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
BUILD="${1:-$ROOT/build}"
shift || true
GEN=()
command -v ninja >/dev/null 2>&1 && GEN=(-G Ninja)
if [ ! -f "$BUILD/CMakeCache.txt" ]; then
  cmake -S "$ROOT" -B "$BUILD" "${GEN[@]}" -DCMAKE_BUILD_TYPE="${BUILD_TYPE:-RelWithDebInfo}" "$@"
elif [ "$#" -gt 0 ]; then
  cmake "$BUILD" "$@"
fi
cmake --build "$BUILD" -j"${JOBS:-2}"
