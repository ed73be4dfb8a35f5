#!/usr/bin/env bash
# Draws korvadimensio3d.png (128 x 128) with ImageMagick's own drawing
# commands, the same picture as korvadimensio3d.svg, for desktops that show
# no SVG icons. Run it after changing the SVG.
set -euo pipefail
cd "$(dirname "$0")"
/usr/bin/convert -size 128x128 xc:none \
  -fill '#f4f1e8' -stroke '#5b6770' -strokewidth 3 -draw 'roundrectangle 4,4 124,124 18,18' \
  -fill none -stroke '#2f6b9a' -strokewidth 4 \
  -draw 'line 26,100 102,100' -draw 'line 26,100 64,34' -draw 'line 102,100 64,34' \
  -fill '#d9482b40' -stroke '#d9482b' -strokewidth 4 \
  -draw 'translate 64,34 rotate -28 ellipse 0,0 24,11 0,360' \
  -stroke none -fill '#1d2b36' \
  -draw 'polygon 26,90 35,106 17,106' -draw 'polygon 102,90 111,106 93,106' \
  -fill '#d9482b' -stroke '#1d2b36' -strokewidth 2.5 -draw 'circle 64,34 70,34' \
  PNG32:korvadimensio3d.png
