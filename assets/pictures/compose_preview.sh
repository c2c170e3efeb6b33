#!/usr/bin/env bash
# Composes a frame of play from the rendered pictures, to check by eye that the
# art meets the grid: ground of Tile0 cells with its top on row 40, a Tile0
# ledge, a Tile1 perch, a bonus and an enemy at waist height (row 37), the hero
# standing on the ground and on the perch, the score and the success badge.
# The top half marks the colliding cells in red; the bottom half shows the
# damage picture where the game draws it.
# Usage: compose_preview.sh <build>/game LOOK(1-5) OUT.png   (needs ImageMagick)
# LOOK is a folder Niveaux/niveau-LOOK: 1 forest, 2 dusk wood, 3 night cave,
# 4 marsh, 5 snowy mountains.
set -euo pipefail
game=$1 look=$2 out=$3
dir=$game/Niveaux/niveau-$look
tmp=$(mktemp -d)
trap 'rm -r "$tmp"' EXIT

convert "$dir/fond.png" -crop 720x480+0+0 +repage \
  -font "$game/shark.ttf" -pointsize 65 -fill black -annotate +550+60 1234 \
  "$dir/decor.png" -composite "$game/Niveaux/reussi.png" -composite "$tmp/level.png"

cells=()
at() { cells+=("$1" -geometry "+$2+$3" -composite); }
for c in $(seq 0 46) $(seq 52 71); do
  for r in $(seq 40 47); do at "$dir/tile0.png" $((c * 10)) $((r * 10)); done
done
for c in $(seq 14 20); do at "$dir/tile0.png" $((c * 10)) 330; done
at "$dir/tile1.png" $((600 - 40)) $((340 - 70))                  # Tile1 cell (60, 34)
at "$game/Niveaux/bonus.png" $((380 - 25)) $((370 - 50))         # bonus cell (38, 37)
at "$game/Enemies/ennemi-01-01.png" $((440 - 50)) $((370 - 70))  # enemy cell (44, 37)
at "$game/Player/hero-run01.png" $((310 - 50)) $((390 - 85))     # body (310, 390)
at "$game/Player/hero-stand01.png" $((600 - 50)) $((330 - 85))   # body (600, 330)
convert "$tmp/level.png" "${cells[@]}" "$tmp/play.png"

convert "$tmp/play.png" -fill none -stroke red \
  -draw "rectangle 310,390 319,399" -draw "rectangle 380,370 389,379" \
  -draw "rectangle 440,370 449,379" -draw "rectangle 600,340 609,349" "$tmp/marked.png"
# body row 39: the damage picture's top-left is (body x - 50, 39 * 10 - 50)
convert "$tmp/play.png" "$game/Enemies/degat.png" -geometry +260+340 -composite "$tmp/hurt.png"
convert "$tmp/marked.png" "$tmp/hurt.png" -append "$out"
