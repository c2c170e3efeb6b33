#!/usr/bin/env python3
"""Writes the SVG sources of every picture of MOSSLANCE Hero into svg/.

The build renders those SVG files with rsvg-convert; this script is only run by
hand after a change to the art (python3 make_svgs.py), and its output is kept
in the repository so that the build needs nothing but rsvg-convert.
"python3 make_svgs.py --check" writes nothing and fails if svg/ is out of date. The output
depends on nothing but this file: every random choice uses a fixed seed, and
numbers are written with a fixed precision.

Sprites are drawn for the offsets at which the game draws them, so that the one
cell that collides is where the thing appears to be:
  hero frame   drawn at (body x - 50, body y - 85): feet near row 92, column 55
  enemy frame  drawn at (x - 50, y - 70): feet on row 100, centred on column 55
  bonus        drawn at (x - 25, y - 50): the gem centred on (30, 55)
  Tile1        drawn at (x - 40, y - 70): standing surface on row 70, cols 40-49
  damage       drawn at (body x - 50, body row * 10 - 50): over the hero's body
"""

import math
import os
import random
import sys

CHECK = False
OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "svg")

FONT = "font-family=\"DejaVu Sans\" font-weight=\"bold\""

INK = "#1f2a1c"  # the outline colour shared by every sprite
MOSS = "#5fa83a"
MOSS_DARK = "#3c7526"
MOSS_LIGHT = "#9bdc5c"
STEEL = "#b7c2cc"
STEEL_DARK = "#74828f"
STEEL_LIGHT = "#eef3f7"
GOLD = "#f0c541"
GOLD_DARK = "#a87a1c"


def f(v):
    """A number as SVG text: one decimal at most, no '-0'."""
    s = f"{v:.1f}".rstrip("0").rstrip(".")
    return "0" if s in ("-0", "") else s


def mix(a, b, k):
    """The colour k of the way from a to b (both "#rrggbb")."""
    ca = [int(a[i:i + 2], 16) for i in (1, 3, 5)]
    cb = [int(b[i:i + 2], 16) for i in (1, 3, 5)]
    return "#" + "".join(f"{round(x + (y - x) * k):02x}" for x, y in zip(ca, cb))


def pts(points):
    return " ".join(f"{f(x)},{f(y)}" for x, y in points)


def svg(width, height, body, defs=""):
    head = (f'<svg xmlns="http://www.w3.org/2000/svg" width="{width}" height="{height}" '
            f'viewBox="0 0 {width} {height}">\n')
    if defs:
        head += f"<defs>\n{defs}</defs>\n"
    return head + body + "</svg>\n"


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


def linear(ident, stops, x1=0, y1=0, x2=0, y2=1, units=""):
    u = f' gradientUnits="{units}"' if units else ""
    s = "".join(f'<stop offset="{o}" stop-color="{c}"'
                + (f' stop-opacity="{a}"' if a != 1 else "") + "/>"
                for o, c, a in stops)
    return (f'<linearGradient id="{ident}" x1="{f(x1)}" y1="{f(y1)}" x2="{f(x2)}" '
            f'y2="{f(y2)}"{u}>{s}</linearGradient>\n')


def radial(ident, stops, cx=0.5, cy=0.5, r=0.5, units=""):
    u = f' gradientUnits="{units}"' if units else ""
    s = "".join(f'<stop offset="{o}" stop-color="{c}"'
                + (f' stop-opacity="{a}"' if a != 1 else "") + "/>"
                for o, c, a in stops)
    return (f'<radialGradient id="{ident}" cx="{f(cx)}" cy="{f(cy)}" r="{f(r)}"{u}>'
            f"{s}</radialGradient>\n")


def text(x, y, size, content, fill="#ffffff", stroke=INK, stroke_width=0, anchor="middle",
         extra=""):
    st = (f' stroke="{stroke}" stroke-width="{f(stroke_width)}" stroke-linejoin="round" '
          f'paint-order="stroke"') if stroke_width else ""
    return (f'<text x="{f(x)}" y="{f(y)}" {FONT} font-size="{f(size)}" text-anchor="{anchor}" '
            f'fill="{fill}"{st}{extra}>{content}</text>\n')


def shadowed_text(x, y, size, content, fill, stroke_width, shadow=3, extra=""):
    return (text(x + shadow, y + shadow, size, content, fill="#000000", stroke="#000000",
                 stroke_width=stroke_width, extra=' fill-opacity="0.35" stroke-opacity="0.35"'
                 + extra)
            + text(x, y, size, content, fill=fill, stroke_width=stroke_width, extra=extra))


def limb(a, b, width, colour, outline=INK, ow=2.4):
    """A rounded limb from a to b, outlined."""
    (x1, y1), (x2, y2) = a, b
    return (f'<line x1="{f(x1)}" y1="{f(y1)}" x2="{f(x2)}" y2="{f(y2)}" stroke="{outline}" '
            f'stroke-width="{f(width + ow)}" stroke-linecap="round"/>'
            f'<line x1="{f(x1)}" y1="{f(y1)}" x2="{f(x2)}" y2="{f(y2)}" stroke="{colour}" '
            f'stroke-width="{f(width)}" stroke-linecap="round"/>\n')


def knee(hip, foot, length):
    """Two-bone leg: the knee bends forward (towards +x), the way the hero runs."""
    (hx, hy), (fx, fy) = hip, foot
    dx, dy = fx - hx, fy - hy
    d = math.hypot(dx, dy)
    mx, my = (hx + fx) / 2, (hy + fy) / 2
    if d >= 2 * length:
        return mx, my
    h = math.sqrt(length * length - (d / 2) ** 2)
    px, py = -dy / d, dx / d
    if px < 0:
        px, py = -px, -py
    return mx + px * h, my + py * h


# ---------------------------------------------------------------------------
# The hero: a small knight with a moss-green lance, facing right (the level
# scrolls towards him from the right). Drawn in the 110 x 100 frame of the
# game: feet on row 92, body centred on column 55.

HERO_POSES = {
    # front foot, back foot, upper-body bob, lance rear and tip, hand, cape tail
    "stand": dict(front=(61, 92), back=(50, 92), bob=0, lance=((71, 93), (71, 5)),
                  hand=(71, 64), cape=((41, 78), (48, 81))),
    "jump": dict(front=(67, 85), back=(52, 84), bob=-2, lance=((30, 77), (106, 43)),
                 hand=(66, 63), cape=((27, 52), (29, 61))),
    "run1": dict(front=(68, 92), back=(43, 89), bob=0, lance=((20, 67), (108, 61)),
                 hand=(66, 65), cape=((27, 62), (31, 71))),
    "run2": dict(front=(60, 92), back=(52, 85), bob=-1.5, lance=((20, 66), (108, 60)),
                 hand=(66, 64), cape=((28, 58), (30, 67))),
    "run3": dict(front=(45, 89), back=(66, 92), bob=0, lance=((20, 67), (108, 61)),
                 hand=(66, 65), cape=((27, 64), (32, 73))),
    "run4": dict(front=(54, 85), back=(59, 92), bob=-1.5, lance=((20, 66), (108, 60)),
                 hand=(66, 64), cape=((28, 59), (30, 68))),
}


def leaf(cx, cy, length, width, angle, fill, outline=INK, ow=1.2, vein=None):
    """A pointed leaf from (cx, cy) along the angle (degrees)."""
    a = math.radians(angle)
    ux, uy = math.cos(a), math.sin(a)
    vx, vy = -uy, ux
    tx, ty = cx + ux * length, cy + uy * length
    m1 = (cx + ux * length * 0.45 + vx * width, cy + uy * length * 0.45 + vy * width)
    m2 = (cx + ux * length * 0.45 - vx * width, cy + uy * length * 0.45 - vy * width)
    s = (f'<path d="M{f(cx)} {f(cy)} Q{f(m1[0])} {f(m1[1])} {f(tx)} {f(ty)} '
         f'Q{f(m2[0])} {f(m2[1])} {f(cx)} {f(cy)}Z" fill="{fill}" stroke="{outline}" '
         f'stroke-width="{f(ow)}" stroke-linejoin="round"/>')
    if vein:
        s += (f'<line x1="{f(cx)}" y1="{f(cy)}" x2="{f(cx + ux * length * 0.8)}" '
              f'y2="{f(cy + uy * length * 0.8)}" stroke="{vein}" stroke-width="0.8" '
              f'stroke-linecap="round"/>')
    return s + "\n"


def lance(rear, tip, pennant=None):
    """The moss-green lance with its leaf-shaped steel blade."""
    (rx, ry), (tx, ty) = rear, tip
    d = math.hypot(tx - rx, ty - ry)
    ux, uy = (tx - rx) / d, (ty - ry) / d
    vx, vy = -uy, ux
    bx, by = tx - ux * 14, ty - uy * 14  # base of the blade
    s = limb(rear, (bx, by), 4, MOSS)
    s += (f'<line x1="{f(rx)}" y1="{f(ry)}" x2="{f(bx)}" y2="{f(by)}" stroke="{MOSS_LIGHT}" '
          f'stroke-width="1.6" stroke-dasharray="2 4"/>\n')
    if pennant is not None:
        # a little moss-green flag just below the blade, clear of the helmet
        ax, ay = bx - ux * 3, by - uy * 3
        w = pennant
        s += (f'<path d="M{f(ax)} {f(ay)} Q{f(ax + 9)} {f(ay + 1 - w)} {f(ax + 20)} {f(ay + 4 + w)} '
              f'Q{f(ax + 10)} {f(ay + 7 + w * 0.5)} {f(ax)} {f(ay + 12)}Z" fill="{MOSS}" '
              f'stroke="{INK}" stroke-width="1.2" stroke-linejoin="round"/>'
              f'<path d="M{f(ax)} {f(ay + 3.5)} Q{f(ax + 8)} {f(ay + 4 - w * 0.5)} '
              f'{f(ax + 14)} {f(ay + 6 + w * 0.8)}" fill="none" stroke="{GOLD}" '
              f'stroke-width="1.3"/>\n')
    # blade
    m1 = (bx + ux * 5 + vx * 4.2, by + uy * 5 + vy * 4.2)
    m2 = (bx + ux * 5 - vx * 4.2, by + uy * 5 - vy * 4.2)
    s += (f'<path d="M{f(bx)} {f(by)} Q{f(m1[0])} {f(m1[1])} {f(tx)} {f(ty)} '
          f'Q{f(m2[0])} {f(m2[1])} {f(bx)} {f(by)}Z" fill="{STEEL_LIGHT}" stroke="{INK}" '
          f'stroke-width="1.4" stroke-linejoin="round"/>'
          f'<line x1="{f(bx + ux * 2)}" y1="{f(by + uy * 2)}" x2="{f(tx - ux * 3)}" '
          f'y2="{f(ty - uy * 3)}" stroke="{STEEL_DARK}" stroke-width="0.9"/>\n')
    # golden collar where the blade meets the shaft
    s += limb((bx - ux * 1.5, by - uy * 1.5), (bx + ux * 0.5, by + uy * 0.5), 5.5, GOLD, ow=1.6)
    return s


def knight(pose, pennant=None, tilt=0):
    p = HERO_POSES[pose] if isinstance(pose, str) else pose
    b = p["bob"]

    def up(x, y):
        return x, y + b

    out = []
    # cape, behind everything
    (t1x, t1y), (t2x, t2y) = p["cape"]
    out.append(f'<path d="M51 {f(55 + b)} Q{f((51 + t1x) / 2 - 2)} {f((55 + b + t1y) / 2 - 3)} '
               f'{f(t1x)} {f(t1y)} L{f(t2x)} {f(t2y)} Q{f((48 + t2x) / 2 + 3)} '
               f'{f((76 + b + t2y) / 2 + 1)} 49 {f(75 + b)}Z" fill="#2f6b2a" stroke="{INK}" '
               f'stroke-width="1.6" stroke-linejoin="round"/>\n')
    # back leg, a shade darker
    hip_b, hip_f = up(53, 77), up(59, 77)
    k = knee(hip_b, p["back"], 8.5)
    out.append(limb(hip_b, k, 6, STEEL_DARK) + limb(k, p["back"], 5.5, STEEL_DARK))
    out.append(boot_path(p["back"], "#4a2f1a"))
    # torso: breastplate, tabard, belt, pauldron
    out.append(f'<path d="M47 {f(59 + b)} Q47 {f(54 + b)} 52 {f(54 + b)} L62 {f(54 + b)} '
               f'Q67 {f(54 + b)} 67 {f(59 + b)} L66 {f(75 + b)} Q66 {f(80 + b)} 61 {f(80 + b)} '
               f'L51 {f(80 + b)} Q46 {f(80 + b)} 46 {f(75 + b)}Z" fill="{STEEL}" stroke="{INK}" '
               f'stroke-width="1.8" stroke-linejoin="round"/>\n')
    out.append(f'<path d="M50 {f(61 + b)} L65 {f(61 + b)} L64 {f(80 + b)} L51 {f(80 + b)}Z" '
               f'fill="{MOSS}" stroke="{INK}" stroke-width="1.3" stroke-linejoin="round"/>\n')
    out.append(leaf(57.5, 71 + b, -8, 3, 90, GOLD, ow=0.9))
    out.append(f'<rect x="47" y="{f(73.5 + b)}" width="19" height="3.2" fill="#6b4423" '
               f'stroke="{INK}" stroke-width="1"/><rect x="59" y="{f(73 + b)}" width="4" '
               f'height="4.2" fill="{GOLD}" stroke="{INK}" stroke-width="0.8"/>\n')
    # front leg
    k = knee(hip_f, p["front"], 8.5)
    out.append(limb(hip_f, k, 6, STEEL) + limb(k, p["front"], 5.5, STEEL))
    out.append(boot_path(p["front"], "#6b4423"))
    # head: round helmet, visor towards the right, moss plume streaming back
    hx, hy = up(57, 43)
    head = [f'<circle cx="{f(hx)}" cy="{f(hy)}" r="13" fill="{STEEL}" stroke="{INK}" '
            f'stroke-width="1.9"/>',
            f'<path d="M{f(hx - 8)} {f(hy - 7)} A10 10 0 0 1 {f(hx + 4)} {f(hy - 10)}" '
            f'fill="none" stroke="{STEEL_LIGHT}" stroke-width="2.4" stroke-linecap="round"/>',
            f'<path d="M{f(hx + 1)} {f(hy - 2)} L{f(hx + 13)} {f(hy - 3)} L{f(hx + 12.5)} '
            f'{f(hy + 3)} L{f(hx + 1)} {f(hy + 3)}Z" fill="#23303a" stroke="{INK}" '
            f'stroke-width="1.2" stroke-linejoin="round"/>',
            f'<line x1="{f(hx - 3)}" y1="{f(hy + 6)}" x2="{f(hx + 10)}" y2="{f(hy + 6)}" '
            f'stroke="{STEEL_DARK}" stroke-width="1.2"/>',
            f'<circle cx="{f(hx - 5)}" cy="{f(hy + 1)}" r="1.3" fill="{STEEL_DARK}"/>',
            leaf(hx - 1, hy - 12, 17, 4.5, 200, MOSS, vein=MOSS_DARK),
            leaf(hx - 1, hy - 12, 14, 4, 165, MOSS_LIGHT, vein=MOSS),
            leaf(hx, hy - 12, 9, 3, 250, MOSS, vein=MOSS_DARK)]
    if tilt:
        out.append(f'<g transform="rotate({f(tilt)} {f(hx)} {f(hy + 10)})">' + "".join(head)
                   + "</g>\n")
    else:
        out.append("".join(head) + "\n")
    # pauldron over the shoulder, then the lance and the arm holding it
    out.append(f'<ellipse cx="{f(56)}" cy="{f(57.5 + b)}" rx="7" ry="4.5" fill="{STEEL_LIGHT}" '
               f'stroke="{INK}" stroke-width="1.5"/>\n')
    (rx, ry), (tx, ty) = p["lance"]
    out.append(lance(up(rx, ry), up(tx, ty), pennant))
    hand = up(*p["hand"])
    out.append(limb(up(57, 59), hand, 5, STEEL))
    out.append(f'<circle cx="{f(hand[0])}" cy="{f(hand[1])}" r="3.6" fill="{STEEL_DARK}" '
               f'stroke="{INK}" stroke-width="1.4"/>\n')
    return "".join(out)


def boot_path(foot, colour):
    x, y = foot
    return (f'<path d="M{f(x - 4)} {f(y)} L{f(x - 4)} {f(y - 4)} Q{f(x - 1)} {f(y - 6)} '
            f'{f(x + 2)} {f(y - 4)} Q{f(x + 6.5)} {f(y - 3.5)} {f(x + 6.5)} {f(y)}Z" '
            f'fill="{colour}" stroke="{INK}" stroke-width="1.3" stroke-linejoin="round"/>\n')


# ---------------------------------------------------------------------------
# The enemy: a crimson bramble beast, looking left at the hero coming. Drawn in
# a 110 x 110 frame: feet on row 100, centred on column 55, so that its
# colliding cell (columns 50-59, rows 70-79) is its body.

ENEMY_FRAMES = [
    # body half-width, half-height, thorn turn (degrees), left and right foot x, eyes open
    dict(rx=20, ry=19, turn=0, feet=(46, 64), open=True),
    dict(rx=22, ry=17, turn=7, feet=(44, 66), open=True),
    dict(rx=18.5, ry=20.5, turn=14, feet=(48, 62), open=True),
    dict(rx=20, ry=19, turn=20, feet=(46, 64), open=False),  # the short last frame: a blink
]


def enemy(frame):
    rx, ry = frame["rx"], frame["ry"]
    cx, cy = 55, 100 - 6 - ry  # body bottom 6 pixels above the feet
    out = []
    # legs
    for fx in frame["feet"]:
        out.append(limb((fx + (55 - fx) * 0.3, cy + ry - 3), (fx, 97.5), 4, "#5a1420"))
        out.append(f'<ellipse cx="{f(fx - 1)}" cy="98" rx="5" ry="2.6" fill="#3a0d15" '
                   f'stroke="{INK}" stroke-width="1.1"/>\n')
    # thorns around the body
    n = 14
    thorns = []
    for i in range(n):
        a = math.radians(frame["turn"] + i * 360 / n)
        ca, sa = math.cos(a), math.sin(a)
        if sa > 0.75:  # none under the belly, where the legs are
            continue
        base = 0.3
        p1 = (cx + rx * math.cos(a - base), cy + ry * math.sin(a - base))
        p2 = (cx + rx * math.cos(a + base), cy + ry * math.sin(a + base))
        tip = (cx + (rx + 6) * ca, cy + (ry + 6) * sa)
        thorns.append(f'<polygon points="{pts([p1, tip, p2])}" fill="#f3dca5" stroke="{INK}" '
                      f'stroke-width="1.3" stroke-linejoin="round"/>')
    out.append("".join(thorns) + "\n")
    out.append(f'<ellipse cx="{f(cx)}" cy="{f(cy)}" rx="{f(rx)}" ry="{f(ry)}" fill="#c4283f" '
               f'stroke="{INK}" stroke-width="2"/>\n')
    # shading and a highlight
    out.append(f'<path d="M{f(cx - rx + 3)} {f(cy + 4)} Q{f(cx)} {f(cy + ry + 2)} '
               f'{f(cx + rx - 3)} {f(cy + 4)} Q{f(cx)} {f(cy + ry - 6)} {f(cx - rx + 3)} '
               f'{f(cy + 4)}Z" fill="#8a1729"/>\n')
    out.append(f'<ellipse cx="{f(cx + 6)}" cy="{f(cy - ry * 0.55)}" rx="6" ry="3" '
               f'fill="#ef6d7c"/>\n')
    # a few bramble leaves on its back
    out.append(leaf(cx + 8, cy - ry + 2, 12, 3.5, -40, MOSS, vein=MOSS_DARK))
    out.append(leaf(cx + 10, cy - ry + 3, 10, 3, 10, MOSS_LIGHT, vein=MOSS))
    # eyes looking left, angry brows, fanged mouth
    ey = cy - 3
    for ex in (cx - 11, cx + 1):
        if frame["open"]:
            out.append(f'<ellipse cx="{f(ex)}" cy="{f(ey)}" rx="5.2" ry="6" fill="#ffe14a" '
                       f'stroke="{INK}" stroke-width="1.4"/><circle cx="{f(ex - 2)}" '
                       f'cy="{f(ey + 1)}" r="2.6" fill="{INK}"/><circle cx="{f(ex - 2.8)}" '
                       f'cy="{f(ey - 0.2)}" r="0.9" fill="#ffffff"/>')
        else:
            out.append(f'<path d="M{f(ex - 5)} {f(ey + 1)} Q{f(ex)} {f(ey + 4)} {f(ex + 5)} '
                       f'{f(ey + 1)}" fill="none" stroke="{INK}" stroke-width="1.8" '
                       f'stroke-linecap="round"/>')
    out.append(f'<path d="M{f(cx - 17)} {f(ey - 9)} L{f(cx - 7)} {f(ey - 5)} M{f(cx + 6)} '
               f'{f(ey - 9)} L{f(cx - 3)} {f(ey - 5)}" stroke="{INK}" stroke-width="2.4" '
               f'stroke-linecap="round"/>\n')
    my = cy + 8
    out.append(f'<path d="M{f(cx - 14)} {f(my)} Q{f(cx - 6)} {f(my + 5)} {f(cx + 2)} {f(my)}Z" '
               f'fill="#3a0d15" stroke="{INK}" stroke-width="1.2" stroke-linejoin="round"/>'
               + "".join(f'<polygon points="{pts([(x0, my + 0.5), (x0 + 1.5, my + 4), (x0 + 3, my + 0.5)])}" '
                         f'fill="#ffffff"/>' for x0 in (cx - 11, cx - 3)) + "\n")
    return "".join(out)


# ---------------------------------------------------------------------------
# The bonus: a moss gem in a gold setting, centred on (30, 55) of a 60 x 80
# picture. Its shine is drawn with crisp opaque shapes (a gold rim and small
# sparkles against the gem) rather than a soft glow: the game draws a screen
# full of them, and every partly transparent pixel is blended.

def bonus():
    cx, cy = 30, 55
    gem = [(cx, cy - 15), (cx + 12, cy - 7), (cx + 12, cy + 7), (cx, cy + 15), (cx - 12, cy + 7),
           (cx - 12, cy - 7)]
    rim = [(cx, cy - 19), (cx + 15.5, cy - 9), (cx + 15.5, cy + 9), (cx, cy + 19), (cx - 15.5, cy + 9),
           (cx - 15.5, cy - 9)]
    out = [f'<polygon points="{pts(rim)}" fill="#fff3a0" stroke="{GOLD_DARK}" stroke-width="1.4" '
           f'stroke-linejoin="round"/>\n',
           f'<polygon points="{pts(gem)}" fill="{GOLD}" stroke="{GOLD}" stroke-width="3.2" '
           f'stroke-linejoin="round"/>\n',
           f'<polygon points="{pts(gem)}" fill="#2f9a3a" stroke="{INK}" stroke-width="2" '
           f'stroke-linejoin="round"/>\n']
    core = [(cx, cy - 8), (cx + 6, cy - 3.5), (cx + 6, cy + 3.5), (cx, cy + 8), (cx - 6, cy + 3.5),
            (cx - 6, cy - 3.5)]
    # facets: light from the top left
    shades = ["#b9f36a", "#63c43f", "#2e8a33", "#1f6b2a", "#3f9e3a", "#8ee05a"]
    for i in range(6):
        a, b2 = gem[i], gem[(i + 1) % 6]
        c, d = core[(i + 1) % 6], core[i]
        out.append(f'<polygon points="{pts([a, b2, c, d])}" fill="{shades[i]}"/>')
    out.append(f'<polygon points="{pts(core)}" fill="#7fd84e" stroke="#1f6b2a" '
               f'stroke-width="0.8"/>\n')
    out.append(f'<polygon points="{pts(gem)}" fill="none" stroke="{INK}" stroke-width="2" '
               f'stroke-linejoin="round"/>\n')
    out.append(f'<path d="M{cx - 8} {cy - 5} L{cx - 2} {cy - 10}" stroke="#ffffff" '
               f'stroke-width="2.2" stroke-linecap="round"/>\n')
    # a sprig of moss on top, and two sparkles on the rim
    out.append(leaf(cx - 1, cy - 16, 10, 3.3, -125, MOSS, vein=MOSS_DARK))
    out.append(leaf(cx + 1, cy - 16, 9, 3, -60, MOSS_LIGHT, vein=MOSS))
    out.append(sparkle(cx + 14, cy - 10, 5) + sparkle(cx - 13, cy + 11, 3.5))
    return svg(60, 80, "".join(out))


def sparkle(x, y, r, fill="#ffffff"):
    q = r * 0.28
    p = [(x, y - r), (x + q, y - q), (x + r, y), (x + q, y + q), (x, y + r), (x - q, y + q),
         (x - r, y), (x - q, y - q)]
    return f'<polygon points="{pts(p)}" fill="{fill}"/>\n'


# ---------------------------------------------------------------------------
# The damage burst, 110 x 100, drawn with its top-left at (body x - 50,
# body row * 10 - 50): the hero's chest falls near (55, 30).

def damage():
    defs = radial("burst", [(0, "#fff3b0", 1), (0.5, "#ff9a2e", 1), (1, "#e0301e", 1)])
    cx, cy = 55, 32
    star = []
    for i in range(28):
        a = math.radians(i * 360 / 28 - 90)
        r = 44 if i % 2 == 0 else 27
        r *= 1.0 if i % 4 else 0.9
        star.append((cx + r * math.cos(a) * 1.15, cy + r * math.sin(a) * 0.7))
    inner = []
    for i in range(20):
        a = math.radians(i * 18 - 81)
        r = 24 if i % 2 == 0 else 14
        inner.append((cx + r * math.cos(a) * 1.15, cy + r * math.sin(a) * 0.7))
    body = (f'<polygon points="{pts(star)}" fill="url(#burst)" stroke="#7a1010" stroke-width="2.2" '
            f'stroke-linejoin="round"/>\n'
            f'<polygon points="{pts(inner)}" fill="#fff6c8" fill-opacity="0.85"/>\n'
            + text(cx, cy + 7, 20, "−100", fill="#ffffff", stroke="#7a1010", stroke_width=5))
    return svg(110, 100, body, defs)


# ---------------------------------------------------------------------------
# The three levels: spring forest, dusk wood, night cave.

THEMES = {
    1: dict(name="La forêt printanière",
            sky=[(0, "#7fcaf0", 1), (0.55, "#cdeef5", 1), (1, "#eaf8dc", 1)],
            far="#a9d68e", far2="#c3e4a6", far_trunk="#b4a58a", mid="#79b760",
            mid_light="#95cc74", mid_shade="#5f9b4a", fern="#8cc46e",
            trunk="#8a6a48", near="#6b4a2e", moss=MOSS, moss_light=MOSS_LIGHT,
            mist="#effbe4", mist_opacity=0.9, vine="#3f8a2c", vine_leaf=MOSS,
            vine_leaf2=MOSS_LIGHT, flower="#ffffff",
            stone="#a89d82", stone_dark="#6c624d", stone_light="#d3c9aa",
            tile_moss=MOSS, tile_moss_light=MOSS_LIGHT, plaque="#f6ecc9"),
    2: dict(name="Le bois au crépuscule",
            sky=[(0, "#2c2456", 1), (0.4, "#7c3f74", 1), (0.72, "#ee8a52", 1), (1, "#f8c987", 1)],
            far="#8a4c72", far2="#a95f76", far_trunk="#7a4566", mid="#5a3158",
            mid_light="#6e3e66", mid_shade="#48264a", fern="#6a3a5e",
            trunk="#442a48", near="#2e1c33", moss="#6f9a3a", moss_light="#a8c95a",
            mist="#f5b487", mist_opacity=0.75, vine="#4b5e2a", vine_leaf="#6f9a3a",
            vine_leaf2="#a8c95a", flower="#ffc0d8",
            stone="#917b8a", stone_dark="#4f3d4c", stone_light="#bba5b5",
            tile_moss="#6f9a3a", tile_moss_light="#b3d160", plaque="#f7e4c2"),
    3: dict(name="La grotte de la nuit",
            sky=[(0, "#0b1020", 1), (0.6, "#17223c", 1), (1, "#22345a", 1)],
            far="#1d2a48", far2="#26365a", far_trunk="#1d2a48", mid="#141d34",
            mid_light="#1c2946", mid_shade="#141d34", fern="#1f3a4a",
            trunk="#101727", near="#1c2640", moss="#2fbf9a", moss_light="#84f5d8",
            mist="#2a4670", mist_opacity=0.8, vine="#2d3a4e", vine_leaf="#2fbf9a",
            vine_leaf2="#84f5d8", flower="#b8fff0",
            stone="#56668a", stone_dark="#2a3450", stone_light="#7d90b8",
            tile_moss="#2fbf9a", tile_moss_light="#8ff7dc", plaque="#e9e6d2"),
}


def canopy(x, y, r, colour, light, rng, blobs=6, shade=None):
    out = []
    if shade:  # the darker underside gives the crown some depth
        for _ in range(blobs // 2):
            out.append(f'<circle cx="{f(x + rng.uniform(-0.5, 0.5) * r)}" '
                       f'cy="{f(y + r * 0.3)}" r="{f(r * rng.uniform(0.45, 0.6))}" fill="{shade}"/>')
    for _ in range(blobs):
        a = rng.uniform(0, 2 * math.pi)
        d = rng.uniform(0.2, 0.75) * r
        out.append(f'<circle cx="{f(x + math.cos(a) * d)}" cy="{f(y + math.sin(a) * d * 0.7)}" '
                   f'r="{f(r * rng.uniform(0.45, 0.7))}" fill="{colour}"/>')
    for _ in range(blobs // 2):
        a = rng.uniform(math.pi, 1.8 * math.pi)
        d = rng.uniform(0.2, 0.6) * r
        out.append(f'<circle cx="{f(x + math.cos(a) * d)}" cy="{f(y + math.sin(a) * d * 0.7)}" '
                   f'r="{f(r * rng.uniform(0.25, 0.4))}" fill="{light}"/>')
    return "".join(out) + "\n"


def trunk(x, bottom, top, width, colour, lean=0.0):
    w2 = width / 2
    return (f'<path d="M{f(x - w2 * 1.3)} {f(bottom)} Q{f(x - w2)} {f((bottom + top) / 2)} '
            f'{f(x - w2 * 0.7 + lean)} {f(top)} L{f(x + w2 * 0.7 + lean)} {f(top)} '
            f'Q{f(x + w2)} {f((bottom + top) / 2)} {f(x + w2 * 1.3)} {f(bottom)}Z" '
            f'fill="{colour}"/>\n')


def score_plaque(t):
    """Light board behind the score, which the game draws in black at (550, 0)."""
    return (f'<rect x="543" y="-12" width="190" height="94" rx="10" fill="#5b3b22" '
            f'stroke="#2e1c0f" stroke-width="3"/>'
            f'<rect x="551" y="-6" width="175" height="80" rx="6" fill="{t["plaque"]}"/>'
            f'<rect x="551" y="64" width="175" height="10" rx="4" fill="#000000" '
            f'fill-opacity="0.08"/>'
            f'<circle cx="548" cy="72" r="3" fill="#2e1c0f"/>\n')


def fireflies(rng, count, colour, area, r=(1.2, 2.6)):
    x0, y0, x1, y1 = area
    out = []
    for _ in range(count):
        x, y, rr = rng.uniform(x0, x1), rng.uniform(y0, y1), rng.uniform(*r)
        out.append(f'<circle cx="{f(x)}" cy="{f(y)}" r="{f(rr * 3)}" fill="{colour}" '
                   f'fill-opacity="0.18"/><circle cx="{f(x)}" cy="{f(y)}" r="{f(rr)}" '
                   f'fill="{colour}"/>')
    return "".join(out) + "\n"


def scene(n, seed=0, plaque=True):
    """The level's landscape, 720 wide and 720 high (rows 0-479 show), as a group."""
    t = THEMES[n]
    rng = random.Random(1000 * n + seed)
    defs = linear(f"sky{n}", t["sky"])
    defs += linear(f"mist{n}", [(0, t["mist"], 0), (1, t["mist"], t["mist_opacity"])])
    out = [f'<rect width="720" height="720" fill="url(#sky{n})"/>\n']
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
    out.append(f'<rect x="0" y="300" width="720" height="190" fill="url(#mist{n})"/>'
               f'<rect x="0" y="489" width="720" height="231" fill="{t["mist"]}" '
               f'fill-opacity="{t["mist_opacity"]}"/>\n')
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
        out.append(trunk(x, 720, -10, w, t["near"]))
        for k in range(4):  # moss patches on the bark
            y = 60 + k * 110 + rng.uniform(-20, 20)
            out.append(f'<ellipse cx="{f(x + rng.uniform(-8, 8))}" cy="{f(y)}" rx="{f(w * 0.38)}" '
                       f'ry="{f(rng.uniform(8, 14))}" fill="{t["moss"]}" fill-opacity="0.8"/>')
        out.append("\n")
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
    body = (f'<circle cx="32" cy="32" r="29" fill="{t["plaque"]}" stroke="{INK}" stroke-width="3"/>'
            + leaf(32, 54, 40, 12, -90, t["moss"], vein=t["vine"], ow=2))
    return svg(64, 64, body)


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


def backdrop(n, dim):
    """A level's landscape behind a menu, darkened by dim (0 to 1)."""
    body, defs = scene(n, seed=5, plaque=False)
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


def preview(n):
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
             + f'<g transform="translate({200 - 50} {390 - 85})">{knight("run1")}</g>')
    defs = ('<clipPath id="window"><rect x="300" y="95" width="380" height="253" rx="12"/>'
            '</clipPath>\n')
    frame = (f'<rect x="304" y="100" width="380" height="253" rx="12" fill="#000000" '
             f'fill-opacity="0.35"/>'
             f'<g clip-path="url(#window)"><g transform="translate(300 95) scale({380 / 480:.4f}) '
             f'translate(-120 -165)">{inner}</g></g>'
             f'<rect x="300" y="95" width="380" height="253" rx="12" fill="none" stroke="{GOLD}" '
             f'stroke-width="4"/>\n')
    return frame, defs


def level_choice(n):
    land, defs = backdrop(n, 0.45)
    frame, frame_defs = preview(n)
    t = THEMES[n]
    body = land + shadowed_text(360, 62, 38, "Choisis ton niveau", "#ffffff", 7) + frame
    if n > 1:
        body += shadowed_text(275, 236, 40, "◀", GOLD, 5)
    if n < 3:
        body += shadowed_text(705, 236, 40, "▶", GOLD, 5)
    body += shadowed_text(490, 408, 56, f"Niveau {n}", GOLD, 8)
    body += text(490, 440, 21, t["name"], fill="#ffffff", stroke_width=4)
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
    for n in (1, 2, 3):
        write(f"Niveaux/niveau-{n}/fond.svg", background(n))
        write(f"Niveaux/niveau-{n}/decor.svg", decor(n))
        write(f"Niveaux/niveau-{n}/extra.svg", extra(n))
        write(f"Niveaux/niveau-{n}/tile0.svg", tile0(n))
        write(f"Niveaux/niveau-{n}/tile1.svg", tile1(n))
        write(f"Title/choix-{n:02d}.svg", level_choice(n))
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
