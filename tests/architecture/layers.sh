#!/usr/bin/env bash
# Fails when a source file of a lower layer includes a header of a higher
# one. The layers, lowest first; a folder may include its own headers and
# those of the layers listed before it. Headers are found by file name in
# the layer folders (every include of the project is a bare file name).
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
  for dir in "${!rank_of_dir[@]}"; do
    [ -d "$root/$dir" ] || continue
    local own=${rank_of_dir[$dir]}
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
  # Each planted upward include alone must fail the check.
  for planted in 'model/Low.cpp:High.h' 'codegen/Gen.cpp:Run.h'; do
    source_file=${planted%%:*}
    printf '#include "%s"\n' "${planted#*:}" > "$scratch/$source_file"
    if check "$scratch" 2>/dev/null; then
      echo "layers: an upward include ($source_file includes ${planted#*:}) went unnoticed" >&2
      exit 1
    fi
    rm "$scratch/$source_file"
  done
  echo "layers: self-test passed"
  exit 0
fi

check "${1:?source directory}"
echo "layers: no upward include"
