#!/usr/bin/env bash
# Draws the resource library's pictures with ImageMagick. The PNGs are kept in
# the repository, so the build needs no ImageMagick; run this only to change
# them. Flags follow the language order of libs/languages (it en de fr pl).
set -euo pipefail
cd "$(dirname "$0")"
# Same bytes on every run: no time stamps in the files.
strip() { convert -define png:exclude-chunks=date,time "$@"; }
W=44 H=30
frame=(-bordercolor '#606060' -border 1)

strip -size ${W}x${H} xc:white -fill '#009246' -draw "rectangle 0,0 14,29" \
  -fill '#ce2b37' -draw "rectangle 29,0 43,29" "${frame[@]}" -strip flag-0.png
strip -size ${W}x${H} xc:'#012169' \
  -stroke white -strokewidth 6 -draw "line 0,0 43,29" -draw "line 0,29 43,0" \
  -stroke '#c8102e' -strokewidth 2 -draw "line 0,0 43,29" -draw "line 0,29 43,0" \
  -stroke none -fill white -draw "rectangle 18,0 25,29" -draw "rectangle 0,11 43,18" \
  -fill '#c8102e' -draw "rectangle 20,0 23,29" -draw "rectangle 0,13 43,16" "${frame[@]}" -strip flag-1.png
strip -size ${W}x${H} xc:'#dd0000' -fill black -draw "rectangle 0,0 43,9" \
  -fill '#ffce00' -draw "rectangle 0,20 43,29" "${frame[@]}" -strip flag-2.png
strip -size ${W}x${H} xc:white -fill '#002395' -draw "rectangle 0,0 14,29" \
  -fill '#ed2939' -draw "rectangle 29,0 43,29" "${frame[@]}" -strip flag-3.png
strip -size ${W}x${H} xc:white -fill '#dc143c' -draw "rectangle 0,15 43,29" "${frame[@]}" -strip flag-4.png

# Application icon: a gas bottle's valve wheel over a flame, on a blue tile.
strip -size 64x64 xc:none -fill '#1f4e8c' -draw "roundrectangle 2,2 61,61 10,10" \
  -fill '#ffb000' -draw "path 'M 32,54 C 16,50 16,34 26,24 C 26,32 30,34 32,36 C 30,26 34,16 40,10 C 40,22 50,30 46,44 C 44,50 38,54 32,54 Z'" \
  -fill '#ff5a00' -draw "path 'M 32,54 C 24,50 24,42 30,36 C 32,42 36,42 38,46 C 38,50 36,54 32,54 Z'" \
  -strip icon.png

# About picture: the icon's flame larger, with the product name.
strip -size 120x120 xc:white -fill '#1f4e8c' -draw "roundrectangle 4,4 115,115 14,14" \
  -fill '#ffb000' -draw "path 'M 60,92 C 32,86 32,58 50,40 C 50,54 56,58 60,62 C 56,44 64,26 74,16 C 74,36 92,50 86,74 C 82,86 72,92 60,92 Z'" \
  -fill '#ff5a00' -draw "path 'M 60,92 C 46,86 46,72 56,62 C 60,72 66,72 70,78 C 70,86 66,92 60,92 Z'" \
  -fill white -font DejaVu-Sans-Bold -pointsize 14 -gravity south -annotate +0+8 'QMD652' \
  -strip about.png
