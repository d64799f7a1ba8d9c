#!/usr/bin/env bash
# Builds the suites of the layers up to the document layer (model, codegen,
# scene, document: the records, the file, generation and simulation, the
# items, the undo commands, building and editing the project, the random
# editing round trip) with AddressSanitizer and UBSan (-DKESTRO_SANITIZE=ON,
# in build-asan) and runs them: any use of a destroyed object, double delete
# or undefined behaviour fails the check. Only these suites, kestro-cli (which
# some of them run) and the layer libraries they link are built; the window
# layers above are left out, which halves the build.
# Leak detection is off: Qt's offscreen platform plugin keeps allocations
# until exit.
set -euo pipefail
cd "$(dirname "$0")/../.."

build=build-asan
layers=(model codegen simulation scene document)
# -O0 with line tables: the sanitizers see every access, reports keep file
# and line, and the build takes far less time than an optimised one.
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKESTRO_SANITIZE=ON \
  -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O0 -g1 -DNDEBUG" >/dev/null

targets=()
for layer in "${layers[@]}"; do
  for src in tests/"$layer"/tst_*.cpp; do
    [ -e "$src" ] && [ "$(basename "$src")" != tst_recovery.cpp ] && targets+=("$(basename "$src" .cpp)")
  done
done
cmake --build "$build" --target "${targets[@]}" kestro-cli -j"$(nproc 2>/dev/null || echo 2)"

export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1:detect_stack_use_after_return=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
# CTest runs them two at a time, each with the folders of its own that the
# main run gives it (tests/CMakeLists.txt). tst_recovery is left to the main
# run: each of its 200 killed writers is a fresh sanitized process, and the
# loop outlasts Qt Test's five-minute limit per test function.
label="^($(IFS='|'; echo "${layers[*]}"))\$"
(cd "$build" && ctest -L "$label" -E '^tst_recovery$' -j"$(nproc 2>/dev/null || echo 2)" --output-on-failure) \
  || { echo "asan: a suite failed under the sanitizers" >&2; exit 1; }
echo "asan: ${#targets[@]} test programs clean"
