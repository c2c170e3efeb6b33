"""The cell sprites and the hero: the knight, the bramble beast, the gem and
the damage burst, each drawn for the offset at which the game draws it."""

import math

from svgkit import (GOLD, GOLD_DARK, INK, MOSS, MOSS_DARK, MOSS_LIGHT, STEEL, STEEL_DARK,
                    STEEL_LIGHT, leaf, limb, pts, radial, sparkle, svg, text, f)


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
