#!/usr/bin/env python3
"""Writes the SVG sources of every picture of MOSSLANCE Hero into svg/.

The build renders those SVG files with rsvg-convert; this script is only run by
hand after a change to the art (python3 make_svgs.py), and its output is kept
in the repository so that the build needs nothing but rsvg-convert.
"python3 make_svgs.py --check" writes nothing and fails if svg/ is out of date. The output
depends on nothing but these modules: every random choice uses a fixed seed, and
numbers are written with a fixed precision.

Sprites are drawn for the offsets at which the game draws them, so that the one
cell that collides is where the thing appears to be:
  hero frame   drawn at (body x - 50, body y - 85): feet near row 92, column 55
  enemy frame  drawn at (x - 50, y - 70): feet on row 100, centred on column 55
  bonus        drawn at (x - 25, y - 50): the gem centred on (30, 55)
  Tile1        drawn at (x - 40, y - 70): standing surface on row 70, cols 40-49
  damage       drawn at (body x - 50, body row * 10 - 50): over the hero's body

The drawing lives in modules beside this script: svgkit (shared helpers and
colours), sprites (hero, enemy, gem, damage), themes (each look's colours and
shared pieces of landscape), landscapes (the woods and the cave, and every
look's files), wild_looks (the marsh and the mountains) and screens (menus and
overlays).
"""

import os
import sys

from landscapes import background, decor, extra, tile0, tile1
from screens import (LEVELS, cursor, icon, level_choice, level_end, level_end_frame, pause_screen,
                     ready_screen, success_badge, title_hero_frame, title_screen)
from sprites import ENEMY_FRAMES, bonus, damage, enemy, knight
from svgkit import svg

CHECK = False
OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "svg")
STALE = []  # with --check: the sources that differ from what this script writes


def write(path, content):
    """Writes one source, leaving an unchanged file alone so the build skips it."""
    full = os.path.join(OUT, path)
    try:
        with open(full, encoding="utf-8", newline="") as old:
            if old.read() == content:
                return
    except FileNotFoundError:
        pass
    if CHECK:
        STALE.append(path)
        return
    os.makedirs(os.path.dirname(full), exist_ok=True)
    with open(full, "w", encoding="utf-8", newline="\n") as out:
        out.write(content)


# ---------------------------------------------------------------------------

def main():
    hero_names = ["hero-stand01", "hero-jump01", "hero-run01", "hero-run02", "hero-run03",
                  "hero-run04"]
    for name, pose in zip(hero_names, ("stand", "jump", "run1", "run2", "run3", "run4")):
        write(f"Player/{name}.svg", svg(110, 100, knight(pose)))
    write("Player/curseur.svg", cursor())
    for i, frame in enumerate(ENEMY_FRAMES):
        write(f"Enemies/ennemi-01-{i + 1:02d}.svg", svg(110, 110, enemy(frame)))
    write("Enemies/degat.svg", damage())
    write("Niveaux/bonus.svg", bonus())
    write("Niveaux/reussi.svg", success_badge())
    for n in (1, 2, 3, 4, 5):
        write(f"Niveaux/niveau-{n}/fond.svg", background(n))
        write(f"Niveaux/niveau-{n}/decor.svg", decor(n))
        write(f"Niveaux/niveau-{n}/extra.svg", extra(n))
        write(f"Niveaux/niveau-{n}/tile0.svg", tile0(n))
        write(f"Niveaux/niveau-{n}/tile1.svg", tile1(n))
    for n in range(1, len(LEVELS) + 1):
        write(f"Title/choix-{n:02d}.svg", level_choice(n))
    for n in (1, 2, 3):
        write(f"Title/ecran-titre-{n:02d}.svg", title_screen(n - 1))
    for k in range(6):
        write(f"Title/hero-{k + 1:02d}.svg", title_hero_frame(k))
    for k in range(4):
        write(f"Title/gameover-{k + 1:02d}.svg", level_end_frame(k))
    write("Title/game-over-01.svg", level_end(0))
    write("Title/game-over-02.svg", level_end(1))
    write("Title/ready.svg", ready_screen())
    write("Title/pause.svg", pause_screen())
    write("Title/icone.svg", icon())


if __name__ == "__main__":
    CHECK = sys.argv[1:] == ["--check"]
    main()
    if STALE:
        print("out of date (run make_svgs.py):", *STALE, sep="\n  ")
        sys.exit(1)
