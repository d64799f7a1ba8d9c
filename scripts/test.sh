#!/usr/bin/env bash
# Builds Kestro with its tests and benchmarks and runs every test headless.
# Used by CI and by developers. It builds in build-tests/, apart from the
# build/ of the README's run command, so neither forces the other to rebuild.
# Each stage's time is printed as it ends and again, all together, at the end
# (also when a stage fails), so a slow stage shows without a profiler.
set -euo pipefail
cd "$(dirname "$0")/.."

timings=()
started=$SECONDS
print_timings() {
  [ ${#timings[@]} -gt 0 ] || return 0
  echo "== stage times"
  printf '%s\n' "${timings[@]}"
  printf '%6ds  total\n' $((SECONDS - started))
}
trap print_timings EXIT

# stage NAME COMMAND...: runs the command, notes how long it took and stops
# the run with the command's status when it fails.
stage() {
  local name=$1 start=$SECONDS status=0
  shift
  echo "== $name"
  "$@" || status=$?
  timings+=("$(printf '%6ds  %s' $((SECONDS - start)) "$name")")
  echo "== $name: $((SECONDS - start)) s"
  return $status
}

jobs=$(nproc 2>/dev/null || echo 2)
export QT_QPA_PLATFORM=offscreen
export KESTRO_BUILD_DIR=build-tests

run_ctest() (
  cd "$KESTRO_BUILD_DIR" && ctest --output-on-failure -j"$jobs"
)

stage install scripts/install-deps.sh
# Line tables only (-g1): failures still show file and line in backtraces,
# and the build takes about a quarter less time than with full debug info.
stage configure cmake -S . -B "$KESTRO_BUILD_DIR" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKESTRO_BUILD_TESTS=ON \
  -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG"
stage build cmake --build "$KESTRO_BUILD_DIR" -j"$jobs"
stage ctest run_ctest

# Extra checks live in scripts/checks/*.sh (fuzzing, sanitizer runs,
# packaging); each must stop by itself within a few minutes.
for check in scripts/checks/*.sh; do
  [ -e "$check" ] || continue
  stage "$check" bash "$check"
done
