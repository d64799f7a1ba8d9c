#!/usr/bin/env bash
# kestro-cli runs where there is no display: it must link QtCore and no
# other Qt library.
set -euo pipefail
cli=${1:?path of kestro-cli}
libs=$(ldd "$cli")
if ! grep -q 'libQt5Core' <<<"$libs"; then
  echo "cli-links: $cli does not link QtCore" >&2
  exit 1
fi
others=$(grep -o 'libQt5[A-Za-z]*' <<<"$libs" | grep -v '^libQt5Core$' || true)
if [ -n "$others" ]; then
  echo "cli-links: $cli links $(echo $others)" >&2
  exit 1
fi
echo "cli-links: QtCore only"
