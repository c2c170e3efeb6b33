"""The levels' looks: each theme's landscape, ground tiles, perch, overlay and
emblem."""


import random

from svgkit import INK, f, leaf, mix, pts, radial, svg
from themes import THEMES, canopy, fireflies, score_plaque, trunk
from wild_looks import (bark_patches, depths_mist, sky_and_mist, snow_decor, snowflake_emblem,
                        wild_perch, wild_scene)


def scene(n, seed=0, plaque=True):
    """The level's landscape, 720 wide and 720 high (rows 0-479 show), as a group."""
    if n in (4, 5):
        return wild_scene(n, seed, plaque)
    t = THEMES[n]
    rng = random.Random(1000 * n + seed)
    defs, out = sky_and_mist(n)
    if n == 1:
        defs += radial("sun1", [(0, "#fffbe0", 1), (0.35, "#fff3b0", 0.9), (1, "#fff3b0", 0)])
        out.append('<circle cx="130" cy="90" r="110" fill="url(#sun1)"/>\n')
        for i in range(5):  # light rays through the canopy
            x = 90 + i * 95
            out.append(f'<polygon points="{pts([(x, 0), (x + 40, 0), (x + 190, 480), (x + 110, 480)])}" '
                       f'fill="#fffbe0" fill-opacity="0.16"/>')
        out.append("\n")
    elif n == 2:
        defs += radial("sun2", [(0, "#fff0b0", 1), (0.25, "#ffb45a", 1), (0.3, "#ff9c4a", 0.6),
                                (1, "#ff9c4a", 0)])
        out.append('<circle cx="400" cy="300" r="150" fill="url(#sun2)"/>\n')
        out.append(fireflies(rng, 25, "#fff3a0", (0, 10, 540, 200), (0.6, 1.2)))  # first stars
    else:
        defs += radial("glow3", [(0, "#4fd8c8", 0.35), (1, "#4fd8c8", 0)])
        out.append('<ellipse cx="360" cy="330" rx="380" ry="200" fill="url(#glow3)"/>\n')
    # far ridge of trees (or rock in the cave)
    for colour, base, rmin, rmax in ((t["far2"], 270, 26, 40), (t["far"], 305, 30, 48)):
        x = -20
        shapes = []
        while x < 760:
            r = rng.uniform(rmin, rmax)
            if n == 3:
                h = rng.uniform(40, 160)
                rock = [(x - r, 720), (x - r * 0.45, base - h), (x + r * 0.2, base - h - 12),
                        (x + r * 0.6, base - h + 8), (x + r, 720)]
                shapes.append(f'<polygon points="{pts(rock)}" fill="{colour}"/>')
            else:
                shapes.append(f'<circle cx="{f(x)}" cy="{f(base + rng.uniform(-12, 12))}" '
                              f'r="{f(r)}" fill="{colour}"/>')
            x += r * 1.1
        out.append("".join(shapes))
        out.append(f'<rect x="0" y="{base}" width="720" height="{720 - base}" fill="{colour}"/>\n')
    if n == 3:
        # stalactites from the cave's ceiling
        x, pts_top = 0, [(0, 0)]
        while x < 720:
            w = rng.uniform(18, 46)
            pts_top += [(x, rng.uniform(8, 24)), (x + w / 2, rng.uniform(40, 120)),
                        (x + w, rng.uniform(8, 24))]
            x += w
        pts_top += [(720, 0)]
        out.append(f'<polygon points="{pts(pts_top)}" fill="{t["near"]}"/>\n')
    if n != 3:  # a row of smaller trees further away
        for i in range(12):
            x = 20 + i * 62 + rng.uniform(-15, 15)
            top = rng.uniform(230, 280)
            out.append(trunk(x, 720, top, rng.uniform(6, 9), t["far_trunk"]))
            out.append(canopy(x, top, rng.uniform(32, 42), t["far"], t["far2"], rng, 5))
    # middle trees (mushroom stalks in the cave)
    for i in range(9):
        x = 40 + i * 80 + rng.uniform(-25, 25)
        top = rng.uniform(150, 250)
        if n == 3:
            cap = rng.choice(["#3a8fd0", "#7b5ad8", "#2fbf9a"])
            out.append(trunk(x, 720, top + 20, rng.uniform(10, 16), t["mid_light"]))
            out.append(f'<ellipse cx="{f(x)}" cy="{f(top + 20)}" rx="{f(rng.uniform(30, 46))}" '
                       f'ry="16" fill="{cap}" fill-opacity="0.45"/>')
            out.append(fireflies(rng, 3, "#9ffcec", (x - 30, top + 10, x + 30, top + 28), (0.8, 1.6)))
        else:
            out.append(trunk(x, 720, top, rng.uniform(12, 20), t["trunk"], rng.uniform(-6, 6)))
            out.append(canopy(x, top, rng.uniform(55, 75), t["mid"], t["mid_light"], rng,
                              shade=t["mid_shade"]))
    # mist over the depths: the bottom of the screen is where the hero falls
    out.append(depths_mist(n))
    # ferns and bushes far below, half lost in the mist
    for i in range(16):
        x, y = i * 48 + rng.uniform(-10, 10), rng.uniform(430, 470)
        for k in range(5):
            out.append(leaf(x, y + 30, rng.uniform(35, 55), rng.uniform(6, 9),
                            -90 + (k - 2) * 28 + rng.uniform(-6, 6), t["fern"], outline="none",
                            ow=0))
    out.append(f'<rect x="0" y="430" width="720" height="60" fill="{t["mist"]}" '
               f'fill-opacity="0.35"/>\n')
    if n == 3:  # glowing mushrooms and crystals on the cave's floor
        for i in range(9):
            x, y = 50 + i * 78 + rng.uniform(-20, 20), rng.uniform(440, 470)
            col = rng.choice(["#5ff0e0", "#c08cff", "#7fd0ff"])
            out.append(f'<circle cx="{f(x)}" cy="{f(y - 8)}" r="26" fill="{col}" fill-opacity="0.16"/>'
                       f'<rect x="{f(x - 2)}" y="{f(y - 8)}" width="4" height="16" fill="#a9b8d8"/>'
                       f'<path d="M{f(x - 10)} {f(y - 6)} Q{f(x)} {f(y - 20)} {f(x + 10)} {f(y - 6)}Z" '
                       f'fill="{col}"/>')
            cx2 = x + rng.uniform(22, 34)
            crystal = [(cx2 - 6, y + 10), (cx2 - 3, y - 14), (cx2 + 1, y - 20), (cx2 + 5, y + 10)]
            out.append(f'<polygon points="{pts(crystal)}" fill="#8fb4ff" fill-opacity="0.7"/>')
        out.append("\n")
    # two big trunks framing the scene
    for x, w in ((18, 46), (676, 40)):
        out.append(trunk(x, 720, -10, w, t["near"]) + bark_patches(x, w, t["moss"], rng))
    if n == 3:
        out.append(fireflies(rng, 30, "#9ffcec", (40, 120, 700, 470)))
        defs += radial("lantern", [(0, "#ffe9a0", 0.55), (1, "#ffe9a0", 0)])
        out.append('<circle cx="630" cy="40" r="120" fill="url(#lantern)"/>\n')
    elif n == 2:
        out.append(fireflies(rng, 18, "#fff08a", (40, 200, 700, 470)))
    if plaque:
        out.append(score_plaque(t))
    return "".join(out), defs


def background(n):
    body, defs = scene(n)
    return svg(720, 720, body, defs)


def tile0(n):
    """10 x 10 mossy stone block; a wall of them is a seamless mossy ground."""
    t = THEMES[n]
    mortar = mix(t["stone"], t["stone_dark"], 0.6)
    body = (f'<g shape-rendering="crispEdges">'
            f'<rect width="10" height="10" fill="{t["stone"]}"/>'
            f'<rect x="0" y="9" width="10" height="1" fill="{mortar}"/>'
            f'<rect x="9" y="0" width="1" height="10" fill="{mortar}"/>'
            f'<rect x="1" y="6" width="2" height="1" fill="{t["stone_light"]}"/>'
            f'<rect x="6" y="7" width="2" height="1" fill="{t["stone_dark"]}"/>'
            f'<rect x="0" y="0" width="9" height="2" fill="{t["tile_moss"]}"/>'
            f'<rect x="0" y="2" width="4" height="1" fill="{t["tile_moss"]}"/>'
            f'<rect x="6" y="2" width="2" height="1" fill="{t["tile_moss"]}"/>'
            f'<rect x="1" y="0" width="3" height="1" fill="{t["tile_moss_light"]}"/>'
            f'<rect x="6" y="0" width="2" height="1" fill="{t["tile_moss_light"]}"/>'
            f'</g>\n')
    return svg(10, 10, body)


def tile1(n):
    """A single-cell perch, 90 x 100, drawn at (x - 40, y - 70): its flat top is
    row 70 over columns 40-49, the one solid cell; what lies above is only a sprig."""
    if n in (4, 5):
        return svg(90, 100, wild_perch(n))
    t = THEMES[n]
    out = []
    if n == 1:  # a tree stump
        out.append(f'<path d="M38 71 L38 88 Q36 96 31 99 L59 99 Q53 96 52 88 L52 71Z" '
                   f'fill="#8a6040" stroke="{INK}" stroke-width="1.6" stroke-linejoin="round"/>')
        out.append(f'<path d="M42 76 L42 94 M47 78 L47 96" stroke="#5e3f27" stroke-width="1.2"/>')
        out.append(f'<ellipse cx="45" cy="71" rx="7.5" ry="2.6" fill="#e2b97c" stroke="{INK}" '
                   f'stroke-width="1.4"/><ellipse cx="45" cy="71" rx="3.5" ry="1.1" fill="none" '
                   f'stroke="#a8794a" stroke-width="0.8"/>')
        out.append(f'<path d="M37.5 73 Q40 77 43 74 Q47 78 52.5 73 L52.5 75 Q47 81 43 77 Q40 80 '
                   f'37.5 76Z" fill="{t["moss"]}"/>')
        out.append(leaf(38, 71, 9, 2.6, -130, t["moss"], ow=0.9))
        out.append(leaf(52, 71, 8, 2.4, -50, t["moss_light"], ow=0.9))
    elif n == 2:  # a mossy standing stone
        out.append(f'<path d="M38 72 Q38 70 40 70 L50 70 Q52 70 52 72 L54 99 L36 99Z" '
                   f'fill="{t["stone"]}" stroke="{INK}" stroke-width="1.6" stroke-linejoin="round"/>')
        out.append(f'<path d="M41 80 L44 84 L42 90 M49 86 L47 92" fill="none" '
                   f'stroke="{t["stone_dark"]}" stroke-width="1.2"/>')
        out.append(f'<path d="M37.5 70.5 Q45 68 52.5 70.5 L52.5 74 Q49 77 46 74 Q42 78 37.5 74Z" '
                   f'fill="{t["moss"]}" stroke="{INK}" stroke-width="1"/>')
        out.append(f'<circle cx="40" cy="70" r="1.6" fill="{t["flower"]}"/>')
        out.append(leaf(51, 70, 8, 2.4, -60, t["moss_light"], ow=0.9))
    else:  # a dark rock crowned with glowing moss and a crystal
        out.append(f'<path d="M37 71 L52 71 L55 84 L50 99 L40 99 L35 86Z" fill="{t["stone"]}" '
                   f'stroke="{INK}" stroke-width="1.6" stroke-linejoin="round"/>')
        out.append(f'<path d="M39 78 L44 82 M48 88 L52 84" stroke="{t["stone_light"]}" '
                   f'stroke-width="1.2"/>')
        out.append(f'<path d="M36.5 70.5 Q45 68.5 53 70.5 L52.5 74 Q48 76 45 73.5 Q41 76 37 74Z" '
                   f'fill="{t["moss"]}" stroke="{INK}" stroke-width="1"/>')
        out.append(f'<polygon points="{pts([(50, 70), (51.5, 61), (53.5, 70)])}" fill="#bfe8ff" '
                   f'stroke="{INK}" stroke-width="0.9"/>')
        # the moss glows in small crisp dots, not in a soft halo
        out.append(f'<circle cx="40" cy="71.5" r="1.2" fill="{t["moss_light"]}"/>'
                   f'<circle cx="47" cy="72" r="1" fill="{t["moss_light"]}"/>')
    return svg(90, 100, "".join(out) + "\n")


def vine(x, length, rng, t, lean=0.0):
    """A vine hanging from the top edge, with leaves along it."""
    p = [(x, -4)]
    for k in range(1, 6):
        p.append((x + lean * k / 5 + rng.uniform(-6, 6), length * k / 5))
    d = f"M{f(p[0][0])} {f(p[0][1])}" + "".join(
        f" Q{f(p[i][0] + rng.uniform(-5, 5))} {f((p[i][1] + p[i + 1][1]) / 2)} "
        f"{f(p[i + 1][0])} {f(p[i + 1][1])}" for i in range(len(p) - 1))
    out = [f'<path d="{d}" fill="none" stroke="{INK}" stroke-width="4.2" stroke-linecap="round"/>'
           f'<path d="{d}" fill="none" stroke="{t["vine"]}" stroke-width="2.4" '
           f'stroke-linecap="round"/>\n']
    for k in range(1, 11):
        lx = (p[(k - 1) // 2][0] + p[(k + 1) // 2][0]) / 2
        ly = length * k / 10
        side = 1 if k % 2 else -1
        out.append(leaf(lx, ly - 6, rng.uniform(15, 21), rng.uniform(4.5, 6.5),
                        90 - side * rng.uniform(40, 60), rng.choice([t["vine_leaf"], t["vine_leaf2"]]),
                        vein=t["vine"]))
    out.append(leaf(p[-1][0], p[-1][1], 12, 4, 90, t["vine_leaf2"], vein=t["vine"]))
    if t["flower"]:
        fx, fy = p[2]
        out.append(f'<circle cx="{f(fx + 3)}" cy="{f(fy)}" r="2.6" fill="{t["flower"]}" '
                   f'stroke="{INK}" stroke-width="0.8"/>')
    return "".join(out) + "\n"


def decor(n):
    """The overlay over the score text: vines at the top corners, clear of the
    score at (550..720, 0..80) and of the middle of the play area."""
    t = THEMES[n]
    rng = random.Random(77 + n)
    if n == 5:
        return svg(720, 480, snow_decor(rng, t) + "\n")
    out = []
    for x, length in ((8, 130), (38, 85), (70, 150), (104, 65), (140, 105), (178, 50)):
        out.append(vine(x, length, rng, t, rng.uniform(-10, 10)))
    for x, length in ((498, 85), (524, 130)):
        out.append(vine(x, length, rng, t, rng.uniform(-6, 4)))
    # tufts of grass in the bottom corners
    for x0 in (0, 650):
        for k in range(7):
            out.append(leaf(x0 + 8 + k * 9, 484, rng.uniform(22, 34), 3.5,
                            -90 + rng.uniform(-30, 30), rng.choice([t["vine_leaf"], t["vine_leaf2"]])))
    if n == 3:  # glow-worms on silk threads
        for x, length in ((230, 60), (262, 38), (455, 50)):
            out.append(f'<line x1="{x}" y1="0" x2="{x}" y2="{length}" stroke="#9fb4d8" '
                       f'stroke-width="0.8"/><circle cx="{x}" cy="{length}" r="5" fill="#3fb8a8"/>'
                       f'<circle cx="{x}" cy="{length}" r="3" fill="#c8fff4"/>')
    return svg(720, 480, "".join(out) + "\n")


def extra(n):
    """The level's emblem, 64 x 64 (the game loads it but never draws it)."""
    t = THEMES[n]
    if n == 5:
        return svg(64, 64, snowflake_emblem(t))
    body = (f'<circle cx="32" cy="32" r="29" fill="{t["plaque"]}" stroke="{INK}" stroke-width="3"/>'
            + leaf(32, 54, 40, 12, -90, t["moss"], vein=t["vine"], ow=2))
    return svg(64, 64, body)
