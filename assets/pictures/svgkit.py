"""The drawing kit every picture shares: numbers and colours as SVG text,
gradients, texts with outlines, limbs, leaves and sparkles."""

import math

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


def gradient_parts(stops, units):
    """A gradient's units attribute and its stops, (offset, colour, opacity) each."""
    u = f' gradientUnits="{units}"' if units else ""
    s = "".join(f'<stop offset="{o}" stop-color="{c}"'
                + (f' stop-opacity="{a}"' if a != 1 else "") + "/>"
                for o, c, a in stops)
    return u, s


def linear(ident, stops, x1=0, y1=0, x2=0, y2=1, units=""):
    u, s = gradient_parts(stops, units)
    return (f'<linearGradient id="{ident}" x1="{f(x1)}" y1="{f(y1)}" x2="{f(x2)}" '
            f'y2="{f(y2)}"{u}>{s}</linearGradient>\n')


def radial(ident, stops, cx=0.5, cy=0.5, r=0.5, units=""):
    u, s = gradient_parts(stops, units)
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


def sparkle(x, y, r, fill="#ffffff"):
    q = r * 0.28
    p = [(x, y - r), (x + q, y - q), (x + r, y), (x + q, y + q), (x, y + r), (x - q, y + q),
         (x - r, y), (x - q, y - q)]
    return f'<polygon points="{pts(p)}" fill="{fill}"/>\n'
