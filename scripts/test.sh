#!/usr/bin/env bash
# Builds Kestro and runs every test headless. Used by CI and by developers.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh

jobs=$(nproc 2>/dev/null || echo 2)
export QT_QPA_PLATFORM=offscreen

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j"$jobs"
(cd build && ctest --output-on-failure -j"$jobs")

# Extra checks live in scripts/checks/*.sh (fuzzing, sanitizer runs,
# packaging); each must stop by itself within a few minutes.
for check in scripts/checks/*.sh; do
  [ -e "$check" ] || continue
  echo "== $check"
  bash "$check"
done
