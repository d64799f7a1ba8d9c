#!/usr/bin/env bash
# Builds the tests that create, connect, paste and delete diagram items
# (with undo, redo and the random editing round trip, and made when a
# diagram is first needed), and the simulation
# sessions that drive child processes, with AddressSanitizer and UBSan
# (-DKESTRO_SANITIZE=ON, in build-asan) and runs them: any use of a
# destroyed object, double delete or undefined behaviour fails the check.
# Only these test programs (and the layer libraries they link) are built.
# Leak detection is off: Qt's offscreen platform plugin keeps allocations
# until exit.
set -euo pipefail
cd "$(dirname "$0")/../.."

build=build-asan
# -O1 with line tables: the sanitizers still see every access, reports keep
# file and line, and the build takes half the time of -O2 with full debug info.
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKESTRO_SANITIZE=ON \
  -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g1 -DNDEBUG" >/dev/null

targets=()
for src in tests/tst_projectbuilder*.cpp tests/tst_linkdataflow.cpp tests/tst_undo.cpp \
           tests/tst_undo_random.cpp tests/tst_undo_window.cpp tests/tst_editroundtrip.cpp \
           tests/tst_clipboard.cpp tests/tst_simulation.cpp tests/tst_lazyitems.cpp; do
  [ -e "$src" ] && targets+=("$(basename "$src" .cpp)")
done
cmake --build "$build" --target "${targets[@]}" -j2

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
export QT_QPA_PLATFORM=offscreen
export XDG_CONFIG_HOME="$scratch/config" HOME="$scratch/home"
export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1:detect_stack_use_after_return=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

failed=()
for t in "${targets[@]}"; do
  echo "asan: $t"
  if ! timeout 300 "$build/tests/$t" -silent; then
    failed+=("$t")
  fi
done
if [ ${#failed[@]} -gt 0 ]; then
  echo "asan: failed: ${failed[*]}" >&2
  exit 1
fi
echo "asan: ${#targets[@]} test programs clean"
