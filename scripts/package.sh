#!/usr/bin/env bash
# Builds the Debian package into build-pkg/ (zoetrix_<version>_<arch>.deb),
# after installing what the build needs. Install it with
#   sudo apt install ./build-pkg/zoetrix_*.deb
# Usage: scripts/package.sh [BUILD_DIR]
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
BUILD="${1:-$ROOT/build-pkg}"
bash "$ROOT/scripts/install-deps.sh"
bash "$ROOT/scripts/build.sh" "$BUILD" -DCMAKE_BUILD_TYPE=Release -DZOETRIX_TESTS=OFF -DZOETRIX_BENCH=OFF
(cd "$BUILD" && cpack -G DEB)
ls "$BUILD"/zoetrix_*.deb
