#!/usr/bin/env bash
# Fuzzes the project file reader for about a minute with clang's libFuzzer
# (AddressSanitizer and UBSan on), starting from our own project files.
# Fails on any crash, sanitizer report, hang or broken round trip.
set -euo pipefail
cd "$(dirname "$0")/../.."

if ! command -v clang++ >/dev/null; then
  echo "fuzz: clang++ is missing (scripts/install-deps.sh installs it)" >&2
  exit 1
fi

build=build-fuzz
CC=clang CXX=clang++ cmake -S tests/fuzz -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j2

# Work on a copy so the committed seed corpus stays as it is.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp tests/fuzz/corpus/* "$work/"

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
timeout 200 "$build/fuzz_projectfile" "$work" \
  -dict=tests/fuzz/projectfile.dict \
  -max_total_time=60 -max_len=65536 -timeout=10 -rss_limit_mb=2048 \
  -artifact_prefix="$build/" -print_final_stats=1
echo "fuzz: no failure in 60 seconds"
