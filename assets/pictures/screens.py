"""The menus and overlays: title, level choice, ready, pause, end of a level."""

import math
import random

from landscapes import scene, tile1
from themes import THEMES
from sprites import ENEMY_FRAMES, HERO_POSES, bonus, enemy, knight, lance
from svgkit import (GOLD, INK, MOSS, MOSS_DARK, MOSS_LIGHT, STEEL, STEEL_LIGHT, f, leaf, limb,
                    linear, pts, radial, shadowed_text, sparkle, svg, text)


# ---------------------------------------------------------------------------
# Menus: title, level choice, ready, end of a level. The title animation is
# drawn over the title and level-choice pictures in their bottom-left corner
# (x 0-240, y 280-480), so nothing of theirs is there.

GAP = "\u00a0" * 6  # blanks that XML does not collapse

ENTRY_DEFS = linear("entry_on", [(0, "#8fd85a", 1), (1, "#3c7526", 1)])


def menu_entry(cx, cy, w, label, active, size=30):
    h = 54
    x, y = cx - w / 2, cy - h / 2
    if active:
        tip = x - 10
        return (f'<rect x="{f(x + 3)}" y="{f(y + 4)}" width="{f(w)}" height="{h}" rx="14" '
                f'fill="#000000" fill-opacity="0.3"/>'
                f'<rect x="{f(x)}" y="{f(y)}" width="{f(w)}" height="{h}" rx="14" '
                f'fill="url(#entry_on)" stroke="{GOLD}" stroke-width="3.5"/>'
                f'<rect x="{f(x + 6)}" y="{f(y + 5)}" width="{f(w - 12)}" height="10" rx="5" '
                f'fill="#ffffff" fill-opacity="0.25"/>\n'
                + f'<g transform="translate({f(tip)} {f(cy)}) scale(1.7)">'
                + lance((-42, 0), (0, 0)) + "</g>\n"
                + text(cx, cy + size * 0.36, size, label, stroke_width=6))
    return (f'<rect x="{f(x)}" y="{f(y)}" width="{f(w)}" height="{h}" rx="14" fill="#16301a" '
            f'fill-opacity="0.72" stroke="#cfe3b4" stroke-opacity="0.6" stroke-width="1.5"/>\n'
            + text(cx, cy + size * 0.33, size * 0.88, label, fill="#e6f0d8", stroke_width=0))


def title_logo(cx, y):
    defs = linear("logo", [(0, "#d8f78a", 1), (0.55, "#7cc84a", 1), (1, "#3c7526", 1)])
    body = (shadowed_text(cx, y, 76, "MOSSLANCE", "url(#logo)", 9, shadow=4,
                          extra=' letter-spacing="2"')
            + f'<g transform="rotate(-5 {f(cx + 150)} {f(y + 52)})">'
            + shadowed_text(cx + 150, y + 58, 50, "Hero", GOLD, 7, shadow=3,
                            extra=' font-style="italic"') + "</g>\n"
            + leaf(cx - 262, y - 30, 26, 8, 200, MOSS, vein=MOSS_DARK, ow=2)
            + leaf(cx - 262, y - 30, 22, 7, 240, MOSS_LIGHT, vein=MOSS, ow=2))
    return body, defs


def backdrop(n, dim, seed=5):
    """A look's landscape behind a menu, darkened by dim (0 to 1)."""
    body, defs = scene(n, seed=seed, plaque=False)
    return (f'<g id="land">{body}</g>'
            f'<rect width="720" height="480" fill="#0b160c" fill-opacity="{dim}"/>\n', defs)


def hint(x, y, content, anchor="middle"):
    return text(x, y, 16, content, fill="#ffffff", stroke_width=4, anchor=anchor)


def title_screen(active):
    land, defs = backdrop(1, 0.25)
    logo, logo_defs = title_logo(360, 112)
    body = land + logo
    for i, label in enumerate(("Jouer", "Crédits", "Quitter")):
        body += menu_entry(480, 250 + i * 72, 240, label, i == active)
    body += hint(480, 466, "↑ ↓ : choisir" + GAP + "Espace : valider")
    return svg(720, 480, body, defs + logo_defs + ENTRY_DEFS)


def title_hero_frame(k):
    """One of the six frames of the hero idling in the menus' bottom-left corner."""
    wave = [-3, -1.5, 0.5, 2.5, 1, -1.5][k]
    pose = dict(HERO_POSES["stand"])
    pose["cape"] = ((40 - wave * 0.6, 78 + wave * 0.3), (47, 81))
    pose["bob"] = [0, 0.5, 1, 0.5, 0, 0][k]
    rng = random.Random(300 + k)
    body = (f'<ellipse cx="124" cy="474" rx="118" ry="18" fill="#2f6b2a" stroke="{INK}" '
            f'stroke-width="3"/><ellipse cx="110" cy="468" rx="92" ry="8" fill="{MOSS}"/>\n')
    for i in range(11):
        body += leaf(20 + i * 19, 470, 14 + (i * 7) % 9, 3.5, -90 + ((i * 37) % 50 - 25),
                     MOSS_LIGHT if i % 2 else MOSS)
    body += (f'<g transform="translate(14 286) scale(2)">' + knight(pose, pennant=wave)
             + "</g>\n")
    for i in range(4):  # motes of light drifting around the knight
        a = math.radians(k * 60 + i * 90)
        x = 124 + math.cos(a) * (70 + i * 8)
        y = 360 + math.sin(a) * 40 - i * 12
        body += sparkle(x, y, 3.5 + rng.uniform(0, 2.5), GOLD)
    return svg(720, 480, body)


def inner_svg(document):
    """The drawing of one of our SVG documents, without its <svg> and <defs>."""
    body = document.split("\n", 1)[1].rsplit("</svg>", 1)[0]
    return body.split("</defs>\n", 1)[1] if body.startswith("<defs>") else body


def preview(n, later=False):
    """A window on the level, 480 x 320 of it shown at 380 x 253: its landscape,
    ground, a perch, a gem, a foe and the hero, each where the game would put it."""
    t = THEMES[n]
    ground = 400  # top of the ground, in the level's pixels

    def block(x0, x1, top, bottom):
        return (f'<rect x="{x0}" y="{top}" width="{x1 - x0}" height="{bottom - top}" '
                f'fill="{t["stone"]}" stroke="{INK}" stroke-width="2"/>'
                f'<rect x="{x0}" y="{top}" width="{x1 - x0}" height="5" fill="{t["tile_moss"]}"/>'
                f'<rect x="{x0}" y="{top}" width="{x1 - x0}" height="1.5" '
                f'fill="{t["tile_moss_light"]}"/>')

    gem = inner_svg(bonus())
    inner = ('<use href="#land"/>'
             + block(100, 470, ground, 490) + block(530, 610, ground, 490)
             + block(330, 400, 300, 310)
             + f'<g transform="translate({560 - 40} {330 - 70})">{inner_svg(tile1(n))}</g>'
             + f'<g transform="translate({290 - 25} {370 - 50})">{gem}</g>'
             + f'<g transform="translate({410 - 50} {370 - 70})">{enemy(ENEMY_FRAMES[0])}</g>'
             + (f'<g transform="translate({500 - 50} {340 - 85})">{knight("jump")}</g>' if later
                else f'<g transform="translate({200 - 50} {390 - 85})">{knight("run1")}</g>'))
    defs = ('<clipPath id="window"><rect x="300" y="95" width="380" height="253" rx="12"/>'
            '</clipPath>\n')
    frame = (f'<rect x="304" y="100" width="380" height="253" rx="12" fill="#000000" '
             f'fill-opacity="0.35"/>'
             f'<g clip-path="url(#window)"><g transform="translate(300 95) scale({380 / 480:.4f}) '
             f'translate(-120 -165)">{inner}</g></g>'
             f'<rect x="300" y="95" width="380" height="253" rx="12" fill="none" stroke="{GOLD}" '
             f'stroke-width="4"/>\n')
    return frame, defs


# Each level's look (a folder Niveaux/niveau-N) and name; two levels share a
# look, the second shown a little further on, its hero in the air.
LEVELS = [
    (1, "La forêt printanière"), (1, "Le sentier des fougères"),
    (2, "Le bois au crépuscule"), (2, "Les ronces du soir"),
    (4, "Les marais brumeux"), (4, "Les roseaux engloutis"),
    (3, "La grotte de la nuit"), (3, "Les profondeurs"),
    (5, "Les cols enneigés"), (5, "Le sommet du givre"),
]


def level_choice(level):
    """The level menu's picture of a level (1 to 10): its look in the window, its
    number and name, and arrows towards the levels before and after it."""
    look, name = LEVELS[level - 1]
    later = level % 2 == 0
    land, defs = backdrop(look, 0.45, seed=6 if later else 5)
    frame, frame_defs = preview(look, later)
    body = land + shadowed_text(360, 62, 38, "Choisis ton niveau", "#ffffff", 7) + frame
    if level > 1:
        body += shadowed_text(275, 236, 40, "◀", GOLD, 5)
    if level < len(LEVELS):
        body += shadowed_text(705, 236, 40, "▶", GOLD, 5)
    body += shadowed_text(490, 408, 56, f"Niveau {level}", GOLD, 8)
    body += text(490, 440, 21, name, fill="#ffffff", stroke_width=4)
    small_gap = "\u00a0" * 4
    body += hint(
        482, 470, "← → : choisir" + small_gap + "Espace : jouer" + small_gap + "R : voir le record"
    )
    return svg(720, 480, body, defs + frame_defs)


def ready_screen():
    land, defs = backdrop(1, 0.5)
    defs += radial("halo", [(0, "#fff6b0", 0.6), (1, "#fff6b0", 0)])
    body = (land + '<circle cx="400" cy="215" r="230" fill="url(#halo)"/>\n'
            + shadowed_text(400, 250, 118, "Prêt ?", GOLD, 12, shadow=5)
            + text(400, 330, 22, "Espace : sauter", fill="#ffffff", stroke_width=5)
            + text(400, 362, 19, "Garde la touche enfoncée pour planer,", fill="#ffffff",
                   stroke_width=4)
            + text(400, 388, 19, "lâche-la pour redescendre vite.", fill="#ffffff", stroke_width=4)
            + '<g transform="translate(40 180) scale(1.9)">' + knight("jump") + "</g>\n")
    return svg(720, 480, body, defs)


def level_end(active):
    """Over the level's background: the two choices and the record board; the
    game writes the record at (450, 225), black, about 75 pixels high."""
    body = ('<rect width="720" height="480" fill="#0b160c" fill-opacity="0.35"/>\n'
            + shadowed_text(268, 178, 40, "Fin du niveau", "#ffffff", 7)
            + menu_entry(250, 250, 280, "Rejouer", active == 0)
            + menu_entry(250, 324, 280, "Menu principal", active == 1)
            + hint(250, 384, "↑ ↓ : choisir" + GAP + "Espace : valider")
            + f'<rect x="428" y="152" width="286" height="166" rx="14" fill="#5b3b22" '
              f'stroke="#2e1c0f" stroke-width="3"/>'
              f'<rect x="436" y="160" width="270" height="150" rx="9" fill="#f6ecc9"/>\n'
            + text(446, 200, 30, "Record :", fill="#2f5a22", anchor="start")
            + leaf(662, 196, 26, 7, -150, MOSS, vein=MOSS_DARK, ow=1.6)
            + leaf(662, 196, 22, 6, -110, MOSS_LIGHT, vein=MOSS, ow=1.6))
    return svg(720, 480, body, ENTRY_DEFS)


def level_end_frame(k):
    """The fallen knight, dazed, with stars turning round his helmet (4 frames)."""
    pose = dict(front=(76, 92), back=(70, 93), bob=12, lance=((2, 86), (104, 87)),
                hand=(68, 72), cape=((34, 93), (44, 94)))
    body = (f'<ellipse cx="598" cy="452" rx="84" ry="8" fill="#000000" fill-opacity="0.3"/>'
            f'<g transform="translate(520 318) scale(1.4)">' + knight(pose, tilt=14) + "</g>\n")
    cx, cy = 520 + 59 * 1.4, 318 + 36 * 1.4
    for i in range(3):
        a = math.radians(k * 30 + i * 120)
        body += sparkle(cx + math.cos(a) * 26, cy + math.sin(a) * 9, 8, GOLD)
    return svg(720, 480, body)


def success_badge():
    defs = linear("badge", [(0, "#8fd85a", 1), (1, "#2f6b2a", 1)])
    body = (f'<rect x="18" y="14" width="236" height="66" rx="33" fill="#000000" fill-opacity="0.3"/>'
            f'<rect x="12" y="8" width="236" height="66" rx="33" fill="url(#badge)" stroke="{GOLD}" '
            f'stroke-width="4"/>\n'
            + leaf(34, 58, 24, 6, -100, GOLD, ow=1.4) + leaf(30, 52, 20, 5, -140, GOLD, ow=1.4)
            + leaf(226, 58, 24, 6, -80, GOLD, ow=1.4) + leaf(230, 52, 20, 5, -40, GOLD, ow=1.4)
            + text(130, 54, 38, "Réussi !", stroke_width=7)
            + sparkle(240, 12, 7) + sparkle(20, 78, 5))
    return svg(720, 480, body, defs)


def pause_screen():
    """Over the frozen level while the game waits: a veil and a board."""
    body = ('<rect width="720" height="480" fill="#0b160c" fill-opacity="0.45"/>\n'
            f'<rect x="186" y="166" width="360" height="148" rx="18" fill="#000000" '
            f'fill-opacity="0.3"/>'
            f'<rect x="180" y="160" width="360" height="148" rx="18" fill="url(#entry_on)" '
            f'stroke="{GOLD}" stroke-width="4"/>'
            f'<rect x="188" y="167" width="344" height="14" rx="7" fill="#ffffff" '
            f'fill-opacity="0.25"/>\n'
            + shadowed_text(360, 250, 76, "Pause", GOLD, 9, shadow=4)
            + hint(360, 288, "P : reprendre" + GAP + "Échap : quitter")
            + leaf(196, 170, 26, 7, 200, MOSS_LIGHT, vein=MOSS, ow=1.6)
            + leaf(524, 170, 26, 7, -20, MOSS_LIGHT, vein=MOSS, ow=1.6))
    return svg(720, 480, body, ENTRY_DEFS)


def icon():
    """32 x 32: the knight's helmet in front of his lance."""
    body = (f'<rect x="1" y="1" width="30" height="30" rx="7" fill="#2f6b2a" stroke="{INK}" '
            f'stroke-width="2"/>'
            + limb((5, 29), (24, 8), 2.6, MOSS_LIGHT, ow=1.6)
            + f'<polygon points="{pts([(22, 6.5), (29.5, 2.5), (25.5, 10)])}" fill="{STEEL_LIGHT}" '
              f'stroke="{INK}" stroke-width="1.2" stroke-linejoin="round"/>'
            + f'<circle cx="14" cy="19" r="9" fill="{STEEL}" stroke="{INK}" stroke-width="1.8"/>'
              f'<rect x="14" y="16" width="8.5" height="4" rx="1" fill="#23303a"/>'
            + leaf(13, 10.5, 10, 3.2, 195, MOSS_LIGHT, ow=1.1)
            + leaf(13, 10.5, 7, 2.6, 250, MOSS, ow=1.1))
    return svg(32, 32, body)


def cursor():
    p = [(2, 2), (22, 9), (13, 13), (9, 22)]
    body = (f'<line x1="12" y1="12" x2="29" y2="29" stroke="{INK}" stroke-width="6" '
            f'stroke-linecap="round"/><line x1="12" y1="12" x2="29" y2="29" stroke="{MOSS}" '
            f'stroke-width="3.5" stroke-linecap="round"/>'
            f'<polygon points="{pts(p)}" fill="{STEEL_LIGHT}" stroke="{INK}" stroke-width="2" '
            f'stroke-linejoin="round"/>')
    return svg(32, 32, body)
