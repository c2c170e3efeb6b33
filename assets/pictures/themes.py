"""The levels' looks: each one's colours, and the pieces of landscape they share."""

import math

from svgkit import MOSS, MOSS_LIGHT, f


# ---------------------------------------------------------------------------
# The five looks: spring forest, dusk wood, night cave, marsh, snowy mountains.

THEMES = {
    1: dict(sky=[(0, "#7fcaf0", 1), (0.55, "#cdeef5", 1), (1, "#eaf8dc", 1)],
            far="#a9d68e", far2="#c3e4a6", far_trunk="#b4a58a", mid="#79b760",
            mid_light="#95cc74", mid_shade="#5f9b4a", fern="#8cc46e",
            trunk="#8a6a48", near="#6b4a2e", moss=MOSS, moss_light=MOSS_LIGHT,
            mist="#effbe4", mist_opacity=0.9, vine="#3f8a2c", vine_leaf=MOSS,
            vine_leaf2=MOSS_LIGHT, flower="#ffffff",
            stone="#a89d82", stone_dark="#6c624d", stone_light="#d3c9aa",
            tile_moss=MOSS, tile_moss_light=MOSS_LIGHT, plaque="#f6ecc9"),
    2: dict(sky=[(0, "#2c2456", 1), (0.4, "#7c3f74", 1), (0.72, "#ee8a52", 1), (1, "#f8c987", 1)],
            far="#8a4c72", far2="#a95f76", far_trunk="#7a4566", mid="#5a3158",
            mid_light="#6e3e66", mid_shade="#48264a", fern="#6a3a5e",
            trunk="#442a48", near="#2e1c33", moss="#6f9a3a", moss_light="#a8c95a",
            mist="#f5b487", mist_opacity=0.75, vine="#4b5e2a", vine_leaf="#6f9a3a",
            vine_leaf2="#a8c95a", flower="#ffc0d8",
            stone="#917b8a", stone_dark="#4f3d4c", stone_light="#bba5b5",
            tile_moss="#6f9a3a", tile_moss_light="#b3d160", plaque="#f7e4c2"),
    3: dict(sky=[(0, "#0b1020", 1), (0.6, "#17223c", 1), (1, "#22345a", 1)],
            far="#1d2a48", far2="#26365a", far_trunk="#1d2a48", mid="#141d34",
            mid_light="#1c2946", mid_shade="#141d34", fern="#1f3a4a",
            trunk="#101727", near="#1c2640", moss="#2fbf9a", moss_light="#84f5d8",
            mist="#2a4670", mist_opacity=0.8, vine="#2d3a4e", vine_leaf="#2fbf9a",
            vine_leaf2="#84f5d8", flower="#b8fff0",
            stone="#56668a", stone_dark="#2a3450", stone_light="#7d90b8",
            tile_moss="#2fbf9a", tile_moss_light="#8ff7dc", plaque="#e9e6d2"),
    # misty marsh: grey-teal water, olive reeds, old willows, peat banks
    4: dict(sky=[(0, "#7f9ea0", 1), (0.55, "#c3d0c2", 1), (1, "#e9e6cc", 1)],
            far="#8fa49a", far2="#a9bbb0", far_trunk="#7d8a7e", mid="#5f7a5c",
            mid_light="#7f9a6c", mid_shade="#4b634a", fern="#8aa56a",
            trunk="#4d473a", near="#3b3529", moss="#8aa44a", moss_light="#c3d77a",
            mist="#e4eadb", mist_opacity=0.85, vine="#5b6a3a", vine_leaf="#7f9a4e",
            vine_leaf2="#b5c96e", flower="#f3e7a6", water="#7b9894", water_light="#c6d5cb",
            stone="#6e5a3c", stone_dark="#3e3121", stone_light="#937a52",
            tile_moss="#7fa83a", tile_moss_light="#c2dd6a", plaque="#efe8cc"),
    # snowy mountains: blue shadows, white peaks, dark pines, icy stone
    5: dict(sky=[(0, "#3b6aa6", 1), (0.55, "#9dc3e3", 1), (1, "#e3eef7", 1)],
            far="#8098b8", far2="#a8bcd6", far_trunk="#4f6f7c", mid="#2f5a52",
            mid_light="#3f6f64", mid_shade="#234640", fern="#c9dbea",
            trunk="#3e3a40", near="#2e3442", moss="#f4f8fc", moss_light="#ffffff",
            mist="#dce8f3", mist_opacity=0.85, vine="#5d7f8f", vine_leaf="#2f5a52",
            vine_leaf2="#3f6f64", flower="#ffffff", snow="#f6faff", snow_shade="#c4d6ea",
            stone="#5d7391", stone_dark="#34445a", stone_light="#9fb4cb",
            tile_moss="#eef5fc", tile_moss_light="#ffffff", plaque="#eef3f7"),
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
