#!/usr/bin/env bash
# Renders the 48 x 48 PNG icons from their SVG sources. The PNGs are kept
# in the repository, so building Kestro does not need this; run it after
# changing an SVG (needs rsvg-convert from librsvg2-bin).
set -euo pipefail
cd "$(dirname "$0")"
for svg in *.svg; do
  rsvg-convert -w 48 -h 48 -o "${svg%.svg}.png" "$svg"
done
