"""The two looks beyond the woods: the misty marsh (look 4) and the snowy
mountains (look 5). Same layering as the woods: sky, far shapes, middle trees,
mist over the depths, the ground far below, two tall shapes framing the scene
and the score's board."""

import math
import random

from svgkit import INK, f, leaf, linear, pts, radial
from themes import THEMES, canopy, fireflies, score_plaque, trunk


def sky_and_mist(n):
    t = THEMES[n]
    defs = linear(f"sky{n}", t["sky"])
    defs += linear(f"mist{n}", [(0, t["mist"], 0), (1, t["mist"], t["mist_opacity"])])
    return defs, [f'<rect width="720" height="720" fill="url(#sky{n})"/>\n']


def depths_mist(n):
    """The mist over the bottom of the screen, where the hero falls."""
    t = THEMES[n]
    return (f'<rect x="0" y="300" width="720" height="190" fill="url(#mist{n})"/>'
            f'<rect x="0" y="489" width="720" height="231" fill="{t["mist"]}" '
            f'fill-opacity="{t["mist_opacity"]}"/>\n')


def bark_patches(x, w, colour, rng, opacity=0.8):
    out = []
    for k in range(4):
        y = 60 + k * 110 + rng.uniform(-20, 20)
        out.append(f'<ellipse cx="{f(x + rng.uniform(-8, 8))}" cy="{f(y)}" rx="{f(w * 0.38)}" '
                   f'ry="{f(rng.uniform(8, 14))}" fill="{colour}" fill-opacity="{opacity}"/>')
    return "".join(out) + "\n"


# ---------------------------------------------------------------------------
# The marsh

def willow(x, top, rng, t, scale=1.0):
    """An old willow: a leaning trunk, a low crown and fronds hanging from it."""
    r = rng.uniform(50, 64) * scale
    out = [trunk(x, 720, top, rng.uniform(14, 22) * scale, t["trunk"], rng.uniform(-10, 10)),
           canopy(x, top, r, t["mid"], t["mid_light"], rng, shade=t["mid_shade"])]
    fronds = []
    for k in range(16):
        fx = x - r * 1.05 + k * r * 2.1 / 15 + rng.uniform(-4, 4)
        fy = top + rng.uniform(-r * 0.3, r * 0.3)
        length = rng.uniform(70, 130) * scale
        bend = rng.uniform(-8, 8)
        colour = t["fern"] if k % 2 else t["mid_light"]
        fronds.append(f'<path d="M{f(fx)} {f(fy)} Q{f(fx + bend)} {f(fy + length * 0.6)} '
                      f'{f(fx + bend * 0.4)} {f(fy + length)}" fill="none" stroke="{colour}" '
                      f'stroke-width="{f(rng.uniform(2, 3.4) * scale)}" stroke-linecap="round"/>')
    out.append("".join(fronds) + "\n")
    return "".join(out)


def dead_tree(x, bottom, height, colour, rng, width=9.0):
    """A bare, broken tree: a trunk and a few crooked branches."""
    out = [trunk(x, bottom, bottom - height, width, colour, rng.uniform(-4, 4))]
    for k in range(5):
        y = bottom - height * rng.uniform(0.45, 0.95)
        side = 1 if k % 2 else -1
        x1 = x + side * rng.uniform(18, 40)
        y1 = y - rng.uniform(15, 40)
        x2 = x1 + side * rng.uniform(6, 16)
        y2 = y1 - rng.uniform(4, 14)
        w = width * rng.uniform(0.25, 0.4)
        out.append(f'<path d="M{f(x)} {f(y)} L{f(x1)} {f(y1)} L{f(x2)} {f(y2)}" fill="none" '
                   f'stroke="{colour}" stroke-width="{f(w)}" stroke-linecap="round" '
                   f'stroke-linejoin="round"/>')
    return "".join(out) + "\n"


def lily_pad(x, y, r, colour, flower=None):
    """A round leaf seen from the side, a wedge cut out of it."""
    a1, a2 = math.radians(-70), math.radians(-40)
    body = (f'<path d="M{f(x)} {f(y)} L{f(x + r * math.cos(a1))} {f(y + r * 0.35 * math.sin(a1))} '
            f'A{f(r)} {f(r * 0.35)} 0 1 0 {f(x + r * math.cos(a2))} '
            f'{f(y + r * 0.35 * math.sin(a2))}Z" fill="{colour}"/>')
    if flower:
        body += (f'<path d="M{f(x - 5)} {f(y - 2)} L{f(x - 3)} {f(y - 9)} L{f(x)} {f(y - 4)} '
                 f'L{f(x + 3)} {f(y - 9)} L{f(x + 5)} {f(y - 2)}Z" fill="{flower}"/>')
    return body


def reeds(x, y, rng, colour, head):
    """A clump of reeds with a cattail or two."""
    out = []
    for k in range(6):
        h = rng.uniform(40, 80)
        lean = rng.uniform(-10, 10)
        bx = x + k * 4
        out.append(f'<path d="M{f(bx)} {f(y)} Q{f(bx + lean * 0.3)} {f(y - h * 0.5)} '
                   f'{f(bx + lean)} {f(y - h)}" fill="none" stroke="{colour}" stroke-width="2.2" '
                   f'stroke-linecap="round"/>')
        if k % 3 == 1:
            out.append(f'<rect x="{f(bx + lean - 3)}" y="{f(y - h + 4)}" width="6" height="16" '
                       f'rx="3" fill="{head}"/>')
    return "".join(out)


def marsh_scene(rng, defs, out):
    t = THEMES[4]
    defs += radial("sun4", [(0, "#fffbe8", 1), (0.3, "#f6efcf", 0.8), (1, "#f6efcf", 0)])
    out.append('<circle cx="470" cy="190" r="140" fill="url(#sun4)"/>\n')
    # far bank of willows, then the still water reaching to the bottom
    for colour, base, rmin, rmax in ((t["far2"], 285, 22, 36), (t["far"], 312, 26, 42)):
        x, shapes = -20, []
        while x < 760:
            r = rng.uniform(rmin, rmax)
            shapes.append(f'<ellipse cx="{f(x)}" cy="{f(base + rng.uniform(-8, 8))}" '
                          f'rx="{f(r)}" ry="{f(r * 0.75)}" fill="{colour}"/>')
            x += r * 1.3
        out.append("".join(shapes))
        out.append(f'<rect x="0" y="{base}" width="720" height="{720 - base}" fill="{colour}"/>\n')
    out.append(f'<rect x="0" y="328" width="720" height="392" fill="{t["water"]}"/>\n')
    for k in range(22):  # light on the water
        y = 334 + k * 7 + rng.uniform(-2, 2)
        x = rng.uniform(-40, 640)
        out.append(f'<rect x="{f(x)}" y="{f(y)}" width="{f(rng.uniform(40, 140))}" height="1.6" '
                   f'rx="0.8" fill="{t["water_light"]}" fill-opacity="0.7"/>')
    out.append("\n")
    for i in range(5):  # dead trees standing in the water, far off
        out.append(dead_tree(70 + i * 150 + rng.uniform(-30, 30), 330, rng.uniform(90, 150),
                             t["far_trunk"], rng, 6))
    for i in range(6):  # old willows on the near bank
        x = 60 + i * 125 + rng.uniform(-25, 25)
        out.append(willow(x, rng.uniform(170, 240), rng, t))
    out.append(depths_mist(4))
    # lily pads and reeds far below, half lost in the mist
    pads = []
    for i in range(14):
        x, y = i * 54 + rng.uniform(-12, 12), rng.uniform(440, 478)
        pads.append(lily_pad(x, y, rng.uniform(14, 22), t["fern"],
                             t["flower"] if i % 3 == 0 else None))
    out.append("".join(pads) + "\n")
    for i in range(8):
        out.append(reeds(20 + i * 92 + rng.uniform(-15, 15), 486, rng, t["vine_leaf"], "#7a5634"))
    out.append(f'<rect x="0" y="430" width="720" height="60" fill="{t["mist"]}" '
               f'fill-opacity="0.35"/>\n')
    # an old willow trunk on the left, a dead one on the right
    out.append(trunk(18, 720, -10, 46, t["near"]) + bark_patches(18, 46, t["moss"], rng))
    out.append(dead_tree(676, 720, 760, t["near"], rng, 40) + bark_patches(676, 40, t["moss"], rng))
    out.append(fireflies(rng, 14, "#f8f3c8", (60, 240, 660, 440), (0.8, 1.6)))
    return defs


# ---------------------------------------------------------------------------
# The snowy mountains

def pine(x, bottom, height, colour, snow):
    """A pine in three tiers, each with snow on its tip and along its lower edge."""
    out = []
    for k in range(3):
        top = bottom - height + k * height * 0.25
        low = bottom - height * 0.12 - (2 - k) * height * 0.2
        half = height * 0.42 * (0.55 + k * 0.22)
        out.append(f'<polygon points="{pts([(x, top), (x + half, low), (x - half, low)])}" '
                   f'fill="{colour}"/>')
        c = 0.3  # the snow covers the tier's tip down to this share of its height
        cy, cw = top + (low - top) * c, half * c
        out.append(f'<path d="M{f(x)} {f(top)} L{f(x + cw)} {f(cy)} Q{f(x + cw * 0.5)} {f(cy - 4)} '
                   f'{f(x)} {f(cy + 2)} Q{f(x - cw * 0.5)} {f(cy - 4)} {f(x - cw)} {f(cy)}Z" '
                   f'fill="{snow}"/>'
                   f'<path d="M{f(x - half)} {f(low)} Q{f(x)} {f(low - 7)} {f(x + half)} {f(low)} '
                   f'Q{f(x)} {f(low + 3)} {f(x - half)} {f(low)}Z" fill="{snow}"/>')
    return "".join(out) + "\n"


def peaks(rng, base, count, colour, snow, shade, height):
    """A range of peaks, the upper part of each white with snow."""
    out = []
    step = 760 / count
    for i in range(count):
        x = -20 + i * step + rng.uniform(-20, 20)
        h = rng.uniform(*height)
        half = rng.uniform(1.1, 1.4) * step
        top, foot = (x, base - h), base + 30
        drop = foot - top[1]
        out.append(f'<polygon points="{pts([(x - half, foot), top, (x + half, foot)])}" '
                   f'fill="{colour}"/>')
        # the shaded flank, then the snow cap with a ragged lower edge
        out.append(f'<polygon points="{pts([top, (x + half, foot), (x + half * 0.2, foot)])}" '
                   f'fill="{shade}"/>')
        k = rng.uniform(0.3, 0.42)
        cap = [top]
        for j in range(4, -5, -1):
            depth = k if abs(j) == 4 else k * rng.uniform(0.6, 1.15)
            cap.append((x + half * k * j / 4, top[1] + drop * depth))
        out.append(f'<polygon points="{pts(cap)}" fill="{snow}"/>')
    return "".join(out) + "\n"


def snowfall(rng, count, area, colour="#ffffff"):
    """Flakes, crisp and opaque, so that an overlay of them stays cheap to draw."""
    x0, y0, x1, y1 = area
    return "".join(f'<circle cx="{f(rng.uniform(x0, x1))}" cy="{f(rng.uniform(y0, y1))}" '
                   f'r="{f(rng.uniform(1.2, 2.8))}" fill="{colour}"/>'
                   for _ in range(count)) + "\n"


def mountain_scene(rng, defs, out):
    t = THEMES[5]
    defs += radial("sun5", [(0, "#ffffff", 1), (0.25, "#fff8dc", 0.9), (1, "#fff8dc", 0)])
    out.append('<circle cx="170" cy="110" r="120" fill="url(#sun5)"/>\n')
    out.append(peaks(rng, 320, 5, t["far2"], t["snow"], t["snow_shade"], (150, 260)))
    out.append(peaks(rng, 330, 7, t["far"], t["snow"], "#6d84a3", (70, 150)))
    out.append(f'<rect x="0" y="318" width="720" height="402" fill="{t["snow_shade"]}"/>\n')
    for i in range(14):  # a far row of small pines on the slope
        x = 10 + i * 54 + rng.uniform(-12, 12)
        out.append(pine(x, 330 + rng.uniform(-6, 6), rng.uniform(50, 75), t["far_trunk"],
                        t["snow"]))
    for i in range(8):  # pines under snow on the near slope
        x = 50 + i * 90 + rng.uniform(-25, 25)
        out.append(pine(x, 430 + rng.uniform(-10, 10), rng.uniform(170, 240), t["mid"],
                        t["snow"]))
    out.append(depths_mist(5))
    # snowdrifts far below, half lost in the mist
    drifts = []
    for i in range(12):
        x, y = i * 66 + rng.uniform(-12, 12), rng.uniform(455, 480)
        drifts.append(f'<ellipse cx="{f(x)}" cy="{f(y)}" rx="{f(rng.uniform(40, 60))}" ry="18" '
                      f'fill="{t["snow"]}"/><ellipse cx="{f(x + 8)}" cy="{f(y + 6)}" '
                      f'rx="{f(rng.uniform(20, 34))}" ry="9" fill="{t["snow_shade"]}"/>')
    out.append("".join(drifts) + "\n")
    out.append(f'<rect x="0" y="430" width="720" height="60" fill="{t["mist"]}" '
               f'fill-opacity="0.35"/>\n')
    # two big pine trunks framing the scene, snow caught on their bark
    for x, w in ((18, 46), (676, 40)):
        out.append(trunk(x, 720, -10, w, t["near"]) + bark_patches(x, w, t["snow"], rng, 0.9))
    out.append(snowfall(rng, 90, (40, 0, 680, 480)))
    return defs


def wild_scene(n, seed, plaque):
    rng = random.Random(1000 * n + seed)
    defs, out = sky_and_mist(n)
    defs = (marsh_scene if n == 4 else mountain_scene)(rng, defs, out)
    if plaque:
        out.append(score_plaque(THEMES[n]))
    return "".join(out), defs


# ---------------------------------------------------------------------------
# Perches (Tile1), 90 x 100: the flat top on row 70 over columns 40-49.

def wild_perch(n):
    t = THEMES[n]
    out = []
    if n == 4:  # a mooring post sunk in the peat, a rope round it
        out.append(f'<path d="M38.5 71 L38.5 99 L51.5 99 L51.5 71Z" fill="#7a5a3a" stroke="{INK}" '
                   f'stroke-width="1.6" stroke-linejoin="round"/>')
        out.append(f'<path d="M42 76 L42 96 M47 79 L47 97" stroke="#54391f" stroke-width="1.2"/>')
        out.append(f'<ellipse cx="45" cy="71" rx="7" ry="2.4" fill="#c9a070" stroke="{INK}" '
                   f'stroke-width="1.4"/>')
        out.append(f'<path d="M38 82 Q45 86 52 82 L52 85.5 Q45 89.5 38 85.5Z" fill="#d6c08a" '
                   f'stroke="{INK}" stroke-width="1"/>')
        out.append(leaf(39, 72, 9, 2.6, -125, t["tile_moss"], ow=0.9))
        out.append(leaf(51, 72, 8, 2.4, -55, t["tile_moss_light"], ow=0.9))
    else:  # an icy stone pillar under a cap of snow, icicles below the cap
        out.append(f'<path d="M38 73 L52 73 L54 99 L36 99Z" fill="{t["stone"]}" stroke="{INK}" '
                   f'stroke-width="1.6" stroke-linejoin="round"/>')
        out.append(f'<path d="M41 84 L45 88 M48 92 L51 89" stroke="{t["stone_light"]}" '
                   f'stroke-width="1.2"/>')
        for x in (40, 44.5, 49):
            out.append(f'<polygon points="{pts([(x - 1.5, 74), (x + 1.5, 74), (x, 81)])}" '
                       f'fill="#dff2ff" stroke="{INK}" stroke-width="0.8"/>')
        out.append(f'<path d="M36.5 74.5 Q36 69.5 41 69.5 L49 69.5 Q54 69.5 53.5 74.5 Q49 76 '
                   f'45 74.5 Q41 76 36.5 74.5Z" fill="{t["snow"]}" stroke="{INK}" '
                   f'stroke-width="1.2"/>')
    return "".join(out) + "\n"


# ---------------------------------------------------------------------------
# The mountains' overlay: icicles along the top-left edge and snow falling
# among them, in the rows and columns the woods' vines already take.

def icicles(x0, x1, rng, t):
    out = [f'<path d="M{x0} -2 L{x1} -2 L{x1} 8 Q{(x0 + x1) / 2} 16 {x0} 10Z" fill="{t["snow"]}" '
           f'stroke="{INK}" stroke-width="2"/>']
    x = x0 + 6
    while x < x1 - 6:
        length = rng.uniform(14, 48)
        w = rng.uniform(3, 5)
        out.append(f'<polygon points="{pts([(x - w, 9), (x + w, 9), (x, 9 + length)])}" '
                   f'fill="#d8efff" stroke="{INK}" stroke-width="1.2" stroke-linejoin="round"/>')
        x += rng.uniform(10, 22)
    return "".join(out) + "\n"


def snow_decor(rng, t):
    out = [icicles(0, 200, rng, t), icicles(488, 540, rng, t)]
    out.append(snowfall(rng, 40, (4, 20, 200, 150)) + snowfall(rng, 10, (490, 20, 536, 120)))
    # snowy tufts in the bottom corners
    for x0 in (0, 650):
        for k in range(7):
            out.append(leaf(x0 + 8 + k * 9, 484, rng.uniform(22, 34), 3.5,
                            -90 + rng.uniform(-30, 30), rng.choice([t["mid"], t["mid_light"]])))
        out.append(f'<ellipse cx="{x0 + 35}" cy="482" rx="38" ry="7" fill="{t["snow"]}" '
                   f'stroke="{INK}" stroke-width="1.5"/>')
    return "".join(out)


def snowflake_emblem(t):
    arms = "".join(
        f'<line x1="32" y1="32" x2="{f(32 + 22 * math.cos(math.radians(a)))}" '
        f'y2="{f(32 + 22 * math.sin(math.radians(a)))}"/>' for a in range(-90, 270, 60))
    return (f'<circle cx="32" cy="32" r="29" fill="{t["plaque"]}" stroke="{INK}" stroke-width="3"/>'
            f'<g stroke="{t["stone"]}" stroke-width="4" stroke-linecap="round">{arms}</g>')
