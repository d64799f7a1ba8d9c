#!/usr/bin/env bash
# Fails when a source file of a lower layer includes a header of a higher
# one. The layers, lowest first; a folder may include its own headers and
# those of the layers listed before it. Headers are found by file name in
# the layer folders (every include of the project is a bare file name).
# The tests follow the same rule: a suite in tests/LAYER/ and a helper in
# tests/support/LAYER/ may include the headers of LAYER and below (the
# program's and the test helpers'), and every suite is in such a folder.
#
#   layers.sh SOURCE_DIR     checks the tree
#   layers.sh --self-test    checks that a planted upward include is caught
set -euo pipefail

LAYERS=(model codegen simulation scene document ui updater app cli)

check() {
  local root=$1 status=0 rank=0
  declare -A rank_of_header=() rank_of_dir=()
  for layer in "${LAYERS[@]}"; do
    for dir in $layer; do
      rank_of_dir[$dir]=$rank
      [ -d "$root/$dir" ] || continue
      for header in "$root/$dir"/*.h; do
        [ -e "$header" ] && rank_of_header[$(basename "$header")]=$rank
      done
    done
    rank=$((rank + 1))
  done
  # The test helpers' headers have the layer of their folder.
  for layer in "${LAYERS[@]}"; do
    for header in "$root/tests/support/$layer"/*.h; do
      [ -e "$header" ] && rank_of_header[$(basename "$header")]=${rank_of_dir[$layer]}
    done
  done
  for file in "$root"/tests/tst_*.cpp; do
    [ -e "$file" ] || continue
    echo "layers: ${file#$root/} is in no layer folder (tests/<layer>/)" >&2
    status=1
  done
  local places=()
  for dir in "${!rank_of_dir[@]}"; do
    places+=("$dir:$dir" "$dir:tests/$dir" "$dir:tests/support/$dir")
  done
  for place in "${places[@]}"; do
    local dir=${place#*:}
    [ -d "$root/$dir" ] || continue
    local own=${rank_of_dir[${place%%:*}]}
    for file in "$root/$dir"/*.h "$root/$dir"/*.cpp; do
      [ -e "$file" ] || continue
      while IFS= read -r header; do
        local theirs=${rank_of_header[$header]:-}
        if [ -n "$theirs" ] && [ "$theirs" -gt "$own" ]; then
          echo "layers: ${file#$root/} includes $header from a higher layer" >&2
          status=1
        fi
      done < <(sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"\([^"]*\)".*/\1/p' "$file")
    done
  done
  return $status
}

if [ "${1:-}" = "--self-test" ]; then
  scratch=$(mktemp -d)
  trap 'rm -rf "$scratch"' EXIT
  mkdir -p "$scratch/model" "$scratch/codegen" "$scratch/simulation" "$scratch/ui"
  printf '#pragma once\n' > "$scratch/model/Low.h"
  printf '#pragma once\n#include "Low.h"\n' > "$scratch/codegen/High.h"
  printf '#pragma once\n#include "High.h"\n' > "$scratch/simulation/Run.h"
  printf '#include "Run.h"\n' > "$scratch/ui/Dock.cpp"
  check "$scratch" || { echo "layers: a downward include was refused" >&2; exit 1; }
  mkdir -p "$scratch/tests/model" "$scratch/tests/codegen" "$scratch/tests/support/model" "$scratch/tests/support/codegen"
  printf '#pragma once\n#include "Low.h"\n' > "$scratch/tests/support/codegen/HighHelper.h"
  printf '#include "Low.h"\n' > "$scratch/tests/model/tst_low.cpp"
  printf '#include "High.h"\n#include "HighHelper.h"\n' > "$scratch/tests/codegen/tst_high.cpp"
  check "$scratch" || { echo "layers: a test's downward include was refused" >&2; exit 1; }
  # Each planted fault alone must fail the check.
  planted() { # FILE CONTENT WHAT
    printf '%s\n' "$2" > "$scratch/$1"
    if check "$scratch" 2>/dev/null; then
      echo "layers: $3 went unnoticed" >&2
      exit 1
    fi
    rm "$scratch/$1"
  }
  planted model/Low.cpp '#include "High.h"' "an upward include"
  planted tests/model/tst_up.cpp '#include "High.h"' "a test including a higher layer"
  planted tests/model/tst_helper.cpp '#include "HighHelper.h"' "a test including a higher layer's helper"
  planted tests/support/model/Helper.cpp '#include "High.h"' "a helper including a higher layer"
  planted tests/tst_nowhere.cpp '#include "Low.h"' "a test outside the layer folders"
  planted codegen/Gen.cpp '#include "Run.h"' "an upward include into the simulation layer"
  echo "layers: self-test passed"
  exit 0
fi

check "${1:?source directory}"
echo "layers: no upward include, every test in its layer's folder"
