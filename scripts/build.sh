#!/usr/bin/env bash
# Configures and builds Tavilo (everything: application, tools, tests, benchmarks) in build/.
# Usage: scripts/build.sh [build-type] [target...]    build-type: Release (default), Debug, Asan, Tsan
set -euo pipefail
cd "$(dirname "$0")/.."
type=${1:-Release}
shift || true
dir=build
[ "$type" = Release ] || dir="build-$(echo "$type" | tr '[:upper:]' '[:lower:]')"
cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE="$type" >/dev/null
if [ $# -gt 0 ]; then
    cmake --build "$dir" -j"$(nproc)" --target "$@"
else
    cmake --build "$dir" -j"$(nproc)"
fi
