#!/usr/bin/env python3
"""Writes the SVG sources of Tavilo's interface images into this folder.

Every image is drawn for the 2880 x 1800 design frame of the main screen. Images that the interface
tints are white on transparent (only their alpha channel matters); the background, the icons, the
slider thumbs and the meter gradient are drawn in colour. scripts/render-images.sh runs this file and
renders each SVG to resources/images/<name>.png with rsvg-convert.

Only the Python standard library is used.
"""

import math
import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))

# Palette of the interface (ARGB 0xff......), for the full-colour images.
ACCENT_BLUE = "#4ab4e4"
ACTIVE_CYAN = "#51ede5"
ALERT_RED = "#fe5454"
BYPASS_ORANGE = "#e6a84a"
INK_BLACK = "#030407"
LEVEL_GREEN = "#26f79c"

W = "#ffffff"


# ---------------------------------------------------------------------------------------------
# Small SVG helpers


def n(v):
    """A number for SVG text: at most two decimals, no trailing zeros."""
    s = f"{v:.2f}".rstrip("0").rstrip(".")
    return "0" if s in ("-0", "") else s


def document(width, height, body, defs=""):
    head = (
        f'<svg xmlns="http://www.w3.org/2000/svg" width="{width}" height="{height}" '
        f'viewBox="0 0 {width} {height}">\n'
    )
    if defs:
        head += f"<defs>\n{defs}</defs>\n"
    return head + body + "</svg>\n"


def stroke_attrs(width, opacity=1.0, cap="round", join="round", dash=None, colour=W):
    a = f'fill="none" stroke="{colour}" stroke-width="{n(width)}" stroke-linecap="{cap}" stroke-linejoin="{join}"'
    if opacity != 1.0:
        a += f' stroke-opacity="{n(opacity)}"'
    if dash:
        a += f' stroke-dasharray="{dash}"'
    return a


def path(d, **kw):
    return f'<path d="{d}" {stroke_attrs(**kw)}/>\n'


def fill_path(d, opacity=1.0, colour=W):
    op = f' fill-opacity="{n(opacity)}"' if opacity != 1.0 else ""
    return f'<path d="{d}" fill="{colour}"{op}/>\n'


def circle(cx, cy, r, fill_opacity=None, stroke=None, stroke_opacity=1.0, colour=W):
    """A circle, filled (fill_opacity) and/or outlined (stroke width)."""
    a = f'<circle cx="{n(cx)}" cy="{n(cy)}" r="{n(r)}"'
    if fill_opacity is None:
        a += ' fill="none"'
    else:
        a += f' fill="{colour}"'
        if fill_opacity != 1.0:
            a += f' fill-opacity="{n(fill_opacity)}"'
    if stroke is not None:
        a += f' stroke="{colour}" stroke-width="{n(stroke)}"'
        if stroke_opacity != 1.0:
            a += f' stroke-opacity="{n(stroke_opacity)}"'
    return a + "/>\n"


def polyline(points):
    return "M" + " L".join(f"{n(x)},{n(y)}" for x, y in points)


def chamfer_rect(x, y, w, h, tl, tr, br, bl):
    """Closed outline of a rectangle whose corners are cut at 45 degrees by the given lengths."""
    return (
        f"M{n(x + tl)},{n(y)} H{n(x + w - tr)} L{n(x + w)},{n(y + tr)} V{n(y + h - br)} "
        f"L{n(x + w - br)},{n(y + h)} H{n(x + bl)} L{n(x)},{n(y + h - bl)} V{n(y + tl)} Z"
    )


def polar(cx, cy, r, degrees):
    """Point at an angle measured clockwise from straight up."""
    a = math.radians(degrees)
    return cx + r * math.sin(a), cy - r * math.cos(a)


def chevron(x, y, direction="right", size=8.0, width=3.0, opacity=1.0):
    """An open arrow head ">" centred on (x, y) pointing right, left, up or down."""
    angle = {"right": 0, "down": 90, "left": 180, "up": 270}[direction]
    d = f"M{n(-size * 0.55)},{n(-size)} L{n(size * 0.45)},0 L{n(-size * 0.55)},{n(size)}"
    return (
        f'<path transform="translate({n(x)} {n(y)}) rotate({angle})" d="{d}" '
        f"{stroke_attrs(width, opacity)}/>\n"
    )


# ---------------------------------------------------------------------------------------------
# A line-drawn figure set for the numbers on the meter scale (cell 10 x 16, origin top left).

GLYPHS = {
    "0": "M5,0 C1.5,0 0,3.5 0,8 C0,12.5 1.5,16 5,16 C8.5,16 10,12.5 10,8 C10,3.5 8.5,0 5,0 Z",
    "1": "M2,3.2 L5.6,0 V16",
    "2": "M0.6,3.6 C1.2,1.3 2.9,0 5.1,0 C7.8,0 9.6,1.8 9.6,4.3 C9.6,7.4 6.4,9.6 0.4,16 H9.9",
    "3": "M0.8,0 H9.4 L4.6,6.4 C8,6.3 10,8.4 10,11.1 C10,14.1 7.8,16 5,16 C2.8,16 1.1,15 0.2,13.4",
    "4": "M7.4,16 V0 L0,11.2 H10",
    "5": "M9.2,0 H1.8 L1,7 C2.2,6.3 3.6,6 5,6 C8,6 10,8.1 10,11 C10,14 7.9,16 5,16 C2.9,16 1.2,15 0.2,13.4",
    "6": "M8.8,1.2 C7.9,0.4 6.6,0 5.3,0 C1.9,0 0,3.6 0,9.6 C0,13.8 2.1,16 5,16 C8,16 10,13.9 10,11 "
    "C10,8.1 8,6 5.2,6 C2.7,6 0.8,7.6 0.1,9.6",
    "7": "M0,0 H10 L3.6,16",
    "8": "M5,0 C2.6,0 1,1.6 1,3.9 C1,6.2 2.6,7.6 5,7.6 C7.4,7.6 9,6.2 9,3.9 C9,1.6 7.4,0 5,0 Z "
    "M5,7.6 C2.2,7.6 0,9.2 0,11.8 C0,14.4 2.2,16 5,16 C7.8,16 10,14.4 10,11.8 C10,9.2 7.8,7.6 5,7.6 Z",
    "9": "M1.2,14.8 C2.1,15.6 3.4,16 4.7,16 C8.1,16 10,12.4 10,6.4 C10,2.2 7.9,0 5,0 C2,0 0,2.1 0,5 "
    "C0,7.9 2,10 4.8,10 C7.3,10 9.2,8.4 9.9,6.4",
    "-": "M0.5,9 H7.5",
    "+": "M0.5,9 H9.5 M5,4.5 V13.5",
}
GLYPH_ADVANCE = {"-": 9.0, "+": 11.0, "1": 9.0}


def text_width(text, height):
    k = height / 16.0
    return sum(GLYPH_ADVANCE.get(c, 12.5) * k for c in text) - 2.5 * k


def line_text(text, x, y, height, width, anchor="start", opacity=1.0):
    """Draws text in the figure set with its top at y; anchor "end" aligns the right edge at x."""
    k = height / 16.0
    if anchor == "end":
        x -= text_width(text, height)
    out = ""
    for c in text:
        out += (
            f'<path transform="translate({n(x)} {n(y)}) scale({n(k)})" d="{GLYPHS[c]}" '
            f'{stroke_attrs(width / k, opacity)}/>\n'
        )
        x += GLYPH_ADVANCE.get(c, 12.5) * k
    return out


# ---------------------------------------------------------------------------------------------
# Where the main screen puts things, in the 2880 x 1800 design frame. The signal-flow drawing is
# aligned with the panels, so its coordinates are derived from the same layout rules as the screen.


class Layout:
    CW, CH = 2880.0, 1800.0

    def __init__(self):
        cw, ch = self.CW, self.CH
        m = 0.0139 * cw
        inner = cw - 2 * m
        self.left = m
        self.inner = inner
        self.y1 = 0.156 * ch
        self.h1 = 0.52161652 * ch
        self.y2 = self.y1 + self.h1
        footer = 0.04 * ch
        self.h2 = min(ch - 0.156 * ch - self.h1 - footer, 0.28238344 * ch)

        # Middle row: input, model, gap, output.
        wi = 0.38197097 * 2 * inner / 3
        wm = 0.61802906 * 2 * inner / 3
        gap = 0.38197097 * inner / 3
        self.input = (m, self.y1, wi, self.h1)
        self.model = (m + wi, self.y1, wm, self.h1)
        self.output = (m + wi + wm + gap, self.y1, inner - wi - wm - gap, self.h1)

        # Bottom row: AUX input, ducking, mix level, reverb, noise gate.
        wa = 0.38197097 * inner / 3
        wd = 0.61802906 * inner / 3
        self.aux = (m, self.y2, wa, self.h2)
        self.ducking = (m + wa, self.y2, wd, self.h2)
        self.mix = (m + wa + wd, self.y2, inner / 6, self.h2)
        self.reverb = (m + wa + wd + inner / 6, self.y2, inner / 3, self.h2)

    @staticmethod
    def frame(rect):
        """The HUD frame rectangle inside a middle-row panel."""
        x, y, w, h = rect
        c = int(0.0417 * h)
        return (x + c, y + c, w - 2 * c, h - 2 * c)

    @staticmethod
    def fit(box, iw, ih):
        """Uniform fit of an iw x ih image centred in box: (x, y, scale)."""
        bx, by, bw, bh = box
        s = min(bw / iw, bh / ih)
        return bx + (bw - iw * s) / 2, by + (bh - ih * s) / 2, s

    def flow_boxes(self):
        """Boxes of the flow layers, the shared part and the annotation line."""
        cw, ch = self.CW, self.CH
        e = min(ch, 0.5216165 * ch)
        d = min(ch - e, 0.28238344 * ch) * 0.618
        half = 0.5 * e
        f = half + d
        m0 = 0.0139 * cw
        inner = max(cw - 2 * m0, 0)
        l = (2 * inner / 6) * 0.38197097 * 0.5
        x = m0 + l
        s = inner / 6
        g = inner - l - s
        y = 0.41680825 * ch
        layers = (x, y, g, f)
        shared = (x + g - 2.5 * s - 5, y, inner / 3, f)
        annotation = (x + g - 2.5 * s - 5 + s, y + half, s, d)
        return layers, shared, annotation

    def knob_centre(self, rect):
        """Centre and side of the knob of a mix-level style panel."""
        x, y, w, h = rect
        dd = int(0.618 * h)
        bx, by, bw, bh = x + 12, y + 12, w - 24, dd - 24
        side = min(bw, bh)
        return bx + bw / 2, by + bh / 2, side


LAYOUT = Layout()


# ---------------------------------------------------------------------------------------------
# Nine-slice frames. Corner details stay inside the corner cells; the edge and centre cells are
# uniform along the direction in which they stretch.


def hud_panel():
    # Insets l205 t190 r225 b240 on 431 x 431.
    size = 431
    o = 10.0
    span = size - 2 * o
    body = fill_path(chamfer_rect(o, o, span, span, 34, 12, 34, 12), opacity=0.075)
    body += path(chamfer_rect(o, o, span, span, 34, 12, 34, 12), width=6, opacity=0.1, join="miter")
    body += path(chamfer_rect(o, o, span, span, 34, 12, 34, 12), width=2, opacity=0.9, join="miter")
    a = size - o
    body += path(polyline([(o, o + 34 + 70), (o, o + 34), (o + 34, o), (o + 34 + 90, o)]), width=5, join="miter", cap="butt")
    body += path(polyline([(a, a - 34 - 70), (a, a - 34), (a - 34, a), (a - 34 - 90, a)]), width=5, join="miter", cap="butt")
    # Three short dashes inside the top-right and bottom-left corners.
    for i in range(3):
        body += f'<rect x="{n(360 + 12 * i)}" y="17" width="8" height="3" fill="{W}" fill-opacity="0.8"/>\n'
        body += f'<rect x="{n(63 - 12 * i)}" y="411" width="8" height="3" fill="{W}" fill-opacity="0.8"/>\n'
    return document(size, size, body)


def button_large():
    # Insets l52 t52 r53 b53 on 105 x 105.
    o, span = 3.0, 99.0
    shape = chamfer_rect(o, o, span, span, 14, 5, 14, 5)
    body = fill_path(shape, opacity=0.08)
    body += path(shape, width=2, opacity=0.9, join="miter")
    a = o + span
    body += path(polyline([(o, o + 14 + 22), (o, o + 14), (o + 14, o), (o + 14 + 24, o)]), width=4, join="miter", cap="butt")
    body += path(polyline([(a, a - 14 - 22), (a, a - 14), (a - 14, a), (a - 14 - 24, a)]), width=4, join="miter", cap="butt")
    return document(105, 105, body)


def button_small(selected):
    # Insets l20 t20 r24 b24 on 43 x 43.
    shape = chamfer_rect(1.5, 1.5, 40, 40, 7, 2.5, 7, 2.5)
    body = fill_path(shape, opacity=1.0 if selected else 0.14)
    body += path(shape, width=2, opacity=1.0 if selected else 0.95, join="miter")
    return document(43, 43, body)


def hairline():
    # Insets l1 t1 r3 b3 on 4 x 4: a soft two-tone line.
    body = f'<rect x="0" y="0" width="4" height="1" fill="{W}" fill-opacity="0.55"/>\n'
    body += f'<rect x="0" y="1" width="4" height="2" fill="{W}"/>\n'
    body += f'<rect x="0" y="3" width="4" height="1" fill="{W}" fill-opacity="0.55"/>\n'
    return document(4, 4, body)


# ---------------------------------------------------------------------------------------------
# Tick boxes, knob, slider thumbs


def checkmark(checked):
    shape = chamfer_rect(5, 5, 56, 56, 12, 4, 12, 4)
    body = ""
    if checked:
        body += fill_path(shape, opacity=0.16)
        body += path(shape, width=4, join="miter")
        body += path("M17,34 L28,45 L49,21", width=7)
    else:
        body += path(shape, width=4, opacity=0.7, join="miter")
    return document(66, 66, body)


KNOB_SWEEP = 140.0  # degrees either side of straight up


def knob_guide():
    c = 128.0
    r_in, r_out = 104.0, 126.0
    x0, y0 = polar(c, c, r_out, -KNOB_SWEEP)
    x1, y1 = polar(c, c, r_out, KNOB_SWEEP)
    x2, y2 = polar(c, c, r_in, KNOB_SWEEP)
    x3, y3 = polar(c, c, r_in, -KNOB_SWEEP)
    channel = (
        f"M{n(x0)},{n(y0)} A{n(r_out)},{n(r_out)} 0 1 1 {n(x1)},{n(y1)} L{n(x2)},{n(y2)} "
        f"A{n(r_in)},{n(r_in)} 0 1 0 {n(x3)},{n(y3)} Z"
    )
    body = path(channel, width=2.2)
    for i in range(11):
        a = -KNOB_SWEEP + i * 2 * KNOB_SWEEP / 10
        x, y = polar(c, c, 96, a)
        big = i in (0, 5, 10)
        body += circle(x, y, 2.6 if big else 1.8, fill_opacity=1.0 if big else 0.7)
    return document(256, 256, body)


def knob_wheel():
    c = 128.0
    body = circle(c, c, 86, fill_opacity=0.05)
    body += circle(c, c, 86, stroke=3, stroke_opacity=0.9)
    body += circle(c, c, 60, stroke=1.5, stroke_opacity=0.25)
    for i in range(48):
        x0, y0 = polar(c, c, 74, i * 7.5)
        x1, y1 = polar(c, c, 80, i * 7.5)
        body += path(f"M{n(x0)},{n(y0)} L{n(x1)},{n(y1)}", width=1.6, opacity=0.3, cap="butt")
    return document(256, 256, body)


def knob_pointer():
    # Drawn pointing straight up; the knob rotates it about the image centre.
    body = path("M128,92 V50", width=9)
    return document(256, 256, body)


def slider_thumb(state):
    c = 40.0
    body = ""
    if state == "default":
        body += circle(c, c, 29, fill_opacity=0.96, colour="#0a1420")
        body += circle(c, c, 29, stroke=4, colour=ACCENT_BLUE)
        body += circle(c, c, 7, fill_opacity=0.9, colour=ACCENT_BLUE)
    elif state == "hover":
        body += circle(c, c, 35, stroke=5, stroke_opacity=0.25, colour=ACTIVE_CYAN)
        body += circle(c, c, 29, fill_opacity=0.96, colour="#0d1d2b")
        body += circle(c, c, 29, stroke=4, colour=ACTIVE_CYAN)
        body += circle(c, c, 8, fill_opacity=1.0, colour=ACTIVE_CYAN)
    else:
        body += circle(c, c, 34, stroke=6, stroke_opacity=0.35, colour=ACTIVE_CYAN)
        body += circle(c, c, 27, fill_opacity=1.0, colour=ACTIVE_CYAN)
        body += circle(c, c, 27, stroke=3, colour="#b9fbf7")
        body += circle(c, c, 8, fill_opacity=1.0, colour=INK_BLACK)
    return document(80, 80, body)


# ---------------------------------------------------------------------------------------------
# Level meter


METER_MIN_DB, METER_MAX_DB = -65.0, 12.0
METER_W, METER_H = 151, 530
METER_CENTRE = METER_W / 2


def meter_y(db):
    return METER_H * (1 - (db - METER_MIN_DB) / (METER_MAX_DB - METER_MIN_DB))


def meter_offset(db):
    return (db - METER_MIN_DB) / (METER_MAX_DB - METER_MIN_DB)


def level_meter_gradient():
    # Segments 5 px high every 7 px, from the bottom up; colour by level.
    stops = [
        (0.0, "#1aa88f"),
        (meter_offset(-30), LEVEL_GREEN),
        (meter_offset(-14), LEVEL_GREEN),
        (meter_offset(-6), "#e8dc4c"),
        (meter_offset(-1), BYPASS_ORANGE),
        (meter_offset(0.5), ALERT_RED),
        (1.0, ALERT_RED),
    ]
    defs = f'<linearGradient id="level" gradientUnits="userSpaceOnUse" x1="0" y1="{METER_H}" x2="0" y2="0">\n'
    for offset, colour in stops:
        defs += f'<stop offset="{offset:.4f}" stop-color="{colour}"/>\n'
    defs += "</linearGradient>\n"
    half = 20
    d = ""
    y = METER_H
    while y > 0:
        top = max(y - 5, 0)
        d += f"M{n(METER_CENTRE - half)},{n(top)} H{n(METER_CENTRE + half)} V{n(y)} H{n(METER_CENTRE - half)} Z "
        y -= 7
    body = f'<path d="{d.strip()}" fill="url(#level)"/>\n'
    return document(METER_W, METER_H, body, defs)


def level_meter_scale():
    slot_half = 26
    xl, xr = METER_CENTRE - slot_half, METER_CENTRE + slot_half
    body = path(chamfer_rect(xl, 2, xr - xl, METER_H - 4, 7, 2, 7, 2), width=2, opacity=0.85, join="miter")
    labels = [6, 0, -6, -12, -18, -24, -30, -40, -50, -60]
    for db in labels:
        y = meter_y(db)
        long = db == 0
        body += path(f"M{n(xl - (13 if long else 9))},{n(y)} H{n(xl - 3)}", width=2.5 if long else 2, cap="butt")
        body += path(f"M{n(xr + 3)},{n(y)} H{n(xr + (15 if long else 10))}", width=2.5 if long else 2, cap="butt")
        text = ("+" if db > 0 else "") + str(db)
        body += line_text(text, xl - 17, y - 7, 14, 1.8, anchor="end", opacity=1.0 if long else 0.85)
    # Minor marks every 3 dB above -30 dB.
    db = -27
    while db < METER_MAX_DB:
        if db not in labels:
            y = meter_y(db)
            body += path(f"M{n(xr + 3)},{n(y)} H{n(xr + 7)}", width=1.5, opacity=0.55, cap="butt")
        db += 3
    # A bracket beside the range above 0 dB.
    body += path(f"M{n(xr + 20)},{n(meter_y(12) + 3)} V{n(meter_y(0))}", width=2.5, opacity=0.8, cap="butt")
    return document(METER_W, METER_H, body)


# ---------------------------------------------------------------------------------------------
# Ducking pictures and indicators

DUCK_W, DUCK_H = 443, 245
DUCK_LEVEL = 122.0  # height of the undisturbed curve; the flow line of the screen meets it here
DUCK_VOICE = (128.0, 330.0)  # stretch of time during which the voice is present


def ducking_picture(depth):
    x0, x1 = DUCK_VOICE
    body = path(f"M6,236 H437", width=2, opacity=0.35, cap="butt")
    for x in (x0, x1):
        body += path(f"M{n(x)},{n(DUCK_LEVEL + 14)} V236", width=2, opacity=0.3, dash="4 6", cap="butt")
        body += path(f"M{n(x)},229 V243", width=2, opacity=0.5, cap="butt")
    lo = DUCK_LEVEL + depth
    if depth == 0:
        d = f"M0,{n(DUCK_LEVEL)} H{DUCK_W}"
    else:
        d = (
            f"M0,{n(DUCK_LEVEL)} H{n(x0)} C{n(x0 + 12)},{n(DUCK_LEVEL)} {n(x0 + 14)},{n(lo)} {n(x0 + 28)},{n(lo)} "
            f"H{n(x1 - 68)} C{n(x1 - 38)},{n(lo)} {n(x1 - 30)},{n(DUCK_LEVEL)} {n(x1)},{n(DUCK_LEVEL)} H{DUCK_W}"
        )
    body += path(d, width=3.5, cap="butt")
    return document(DUCK_W, DUCK_H, body)


def ducking_ripple():
    pts = []
    for i in range(0, 173):
        x = 10 + i
        env = math.exp(-(((x - 96) / 36.0) ** 2))
        y = 53 - 40 * env * math.sin(2 * math.pi * (x - 96) / 28.0)
        pts.append((x, y))
    body = path("M4,53 H188", width=1.5, opacity=0.4, cap="butt")
    body += path(polyline(pts), width=10, opacity=0.14)
    body += path(polyline(pts), width=4)
    return document(192, 106, body)


def ducking_dot():
    defs = (
        '<radialGradient id="halo" cx="16" cy="16" r="15.5" gradientUnits="userSpaceOnUse">\n'
        f'<stop offset="0.45" stop-color="{W}" stop-opacity="0.55"/>\n'
        f'<stop offset="1" stop-color="{W}" stop-opacity="0"/>\n'
        "</radialGradient>\n"
    )
    body = '<circle cx="16" cy="16" r="15.5" fill="url(#halo)"/>\n'
    body += circle(16, 16, 7.5, fill_opacity=1.0)
    return document(32, 32, body, defs)


# ---------------------------------------------------------------------------------------------
# Symbols


def symbol_mic():
    body = f'<rect x="33" y="6" width="57" height="130" rx="28.5" fill="{W}" fill-opacity="0.1"/>\n'
    body += f'<rect x="33" y="6" width="57" height="130" rx="28.5" {stroke_attrs(6)}/>\n'
    for y in (42, 58, 74, 90):
        body += path(f"M46,{y} H77", width=3, opacity=0.55)
    body += path("M13,94 V112 A48.5,48.5 0 0 0 110,112 V94", width=6)
    body += path("M61.5,160.5 V220", width=6, cap="butt")
    body += path("M30,222 H93", width=6)
    return document(123, 231, body)


def gear_outline(cx, cy, r_tip, r_root, teeth, tip_half, root_half):
    step = 360.0 / teeth
    d = ""
    for k in range(teeth):
        a = k * step
        p_root_in = polar(cx, cy, r_root, a - root_half)
        p_tip_a = polar(cx, cy, r_tip, a - tip_half)
        p_tip_b = polar(cx, cy, r_tip, a + tip_half)
        p_root_out = polar(cx, cy, r_root, a + root_half)
        nxt = polar(cx, cy, r_root, a + step - root_half)
        d += ("M" if k == 0 else "L") + f"{n(p_root_in[0])},{n(p_root_in[1])} "
        d += f"L{n(p_tip_a[0])},{n(p_tip_a[1])} A{n(r_tip)},{n(r_tip)} 0 0 1 {n(p_tip_b[0])},{n(p_tip_b[1])} "
        d += f"L{n(p_root_out[0])},{n(p_root_out[1])} A{n(r_root)},{n(r_root)} 0 0 1 {n(nxt[0])},{n(nxt[1])} "
    return d + "Z"


def symbol_settings():
    g = gear_outline(95, 95, 80, 63, 8, 9, 15)
    body = fill_path(g, opacity=0.1)
    body += path(g, width=7)
    body += circle(95, 95, 27, stroke=7)
    body += circle(95, 95, 46, stroke=2, stroke_opacity=0.4)
    return document(190, 190, body)


def symbol_signal():
    c = 130.0
    body = circle(c, c, 112, stroke=5, stroke_opacity=0.95)
    body += circle(c, c, 99, stroke=1.5, stroke_opacity=0.35)
    for i in range(4):
        body += path(
            f"M{n(polar(c, c, 112, 90 * i)[0])},{n(polar(c, c, 112, 90 * i)[1])} "
            f"L{n(polar(c, c, 122, 90 * i)[0])},{n(polar(c, c, 122, 90 * i)[1])}",
            width=4,
            cap="butt",
        )

    def wave(phase, amp, freq):
        pts = []
        for i in range(0, 161):
            x = 50 + i
            t = (x - 50) / 160.0
            env = math.sin(math.pi * t) ** 1.5
            y = c - amp * env * (0.75 * math.sin(2 * math.pi * freq * t + phase) + 0.25 * math.sin(6 * math.pi * freq * t + 2 * phase))
            pts.append((x, y))
        return polyline(pts)

    body += path(wave(1.7, 44, 2.5), width=3, opacity=0.45)
    body += path(wave(0.0, 54, 2.5), width=5)
    return document(260, 260, body)


def symbol_open_combo_box():
    return document(63, 36, path("M9,9 L31.5,27 L54,9", width=7))


def symbol_image_placeholder():
    frame = chamfer_rect(6, 6, 196, 197, 24, 8, 24, 8)
    body = path(frame, width=2, opacity=0.35, join="miter")
    body += path("M6,62 V30 L30,6 H62 M146,203 H178 L202,179 V147", width=4, join="miter", cap="butt")
    head = "M104,52 A30,30 0 1 1 103.99,52 Z"
    shoulders = "M48,172 C48,136 72,120 104,120 C136,120 160,136 160,172 Z"
    body += fill_path(head, opacity=0.14) + fill_path(shoulders, opacity=0.14)
    body += circle(104, 82, 30, stroke=5)
    body += path(shoulders, width=5)
    return document(208, 209, body)


# ---------------------------------------------------------------------------------------------
# Reverb ("SPACE") pictures: rooms and halls in one-point perspective, deeper for larger spaces,
# with the path of one reflection bouncing between the side walls; the plate is a hanging sheet.

NEAR = (16.0, 34.0, 240.0, 222.0)  # left, top, right, bottom of the near opening
VP = (128.0, 140.0)


def toward(p, s):
    return VP[0] + s * (p[0] - VP[0]), VP[1] + s * (p[1] - VP[1])


def section(s, vaulted):
    """Outline of the cross-section at perspective scale s (1 = near opening)."""
    l, t, r, b = NEAR
    if not vaulted:
        pts = [toward(p, s) for p in ((l, b), (l, t), (r, t), (r, b))]
        return polyline(pts), pts
    spring = t + 70.0
    a = toward((l, b), s)
    bsp = toward((l, spring), s)
    csp = toward((r, spring), s)
    d_ = toward((r, b), s)
    rx = (csp[0] - bsp[0]) / 2
    ry = 70.0 * s
    d = f"M{n(a[0])},{n(a[1])} L{n(bsp[0])},{n(bsp[1])} A{n(rx)},{n(ry)} 0 0 1 {n(csp[0])},{n(csp[1])} L{n(d_[0])},{n(d_[1])}"
    return d, [a, bsp, csp, d_]


def floor_point(u, s):
    """Point on the floor: u from -1 (left wall) to 1 (right wall), at perspective scale s."""
    l, t, r, b = NEAR
    return toward((128 + u * (r - l) / 2, b), s)


def space_room(back, sections, rings, vaulted):
    body = ""
    back_d, back_pts = section(back, vaulted)
    back_l = back_pts[0]
    # Back wall, filled faintly.
    body += fill_path(back_d + f" L{n(back_l[0])},{n(back_l[1])} Z", opacity=0.16)
    body += path(back_d + " Z", width=3.5)
    # Edges from the back wall to the near opening.
    near_d, near_pts = section(1.0, vaulted)
    for p, q in zip(back_pts, near_pts):
        body += path(f"M{n(p[0])},{n(p[1])} L{n(q[0])},{n(q[1])}", width=3.5)
    body += path(near_d, width=2, opacity=0.3)
    if vaulted:
        # Two lines along the barrel vault.
        t = NEAR[1]
        for frac in (0.3, 0.7):
            ang = math.pi * (1 - frac)
            px = 128 + 112 * math.cos(ang)
            py = (t + 70) - 70 * math.sin(ang)
            p = toward((px, py), back)
            body += path(f"M{n(p[0])},{n(p[1])} L{n(px)},{n(py)}", width=1.8, opacity=0.4)
    # Cross-sections between, evenly spaced in depth.
    inv_back = 1.0 / back
    for k in range(1, sections + 1):
        s = 1.0 / (1 + k / (sections + 1) * (inv_back - 1))
        d, _ = section(s, vaulted)
        body += path(d, width=1.8, opacity=0.4)
    # A sound source on the floor, its ripples spreading further in a larger space.
    s_src = back + 0.65 * (1 - back)
    cx, cy = floor_point(0, s_src)
    half_floor = (NEAR[2] - NEAR[0]) / 2 * s_src
    for k in range(rings):
        rx = half_floor * (0.2 + 0.55 * (k + 1) / rings)
        op = 0.95 - 0.5 * k / max(rings - 1, 1)
        body += f'<ellipse cx="{n(cx)}" cy="{n(cy)}" rx="{n(rx)}" ry="{n(rx * 0.2)}" {stroke_attrs(2.2, op)}/>\n'
    body += f'<ellipse cx="{n(cx)}" cy="{n(cy)}" rx="6" ry="2.6" fill="{W}"/>\n'
    body += path(f"M{n(cx)},{n(cy)} V{n(cy - 12)}", width=2.5)
    body += circle(cx, cy - 14, 4, fill_opacity=1.0)
    return document(256, 256, body)


def space_plate():
    body = path("M34,30 H222", width=4)
    body += path("M34,22 V38 M222,22 V38", width=3, cap="butt")
    tl, tr, br, bl = (56.0, 74.0), (204.0, 86.0), (204.0, 206.0), (56.0, 224.0)
    body += path(f"M70,30 L{n(tl[0] + 14)},{n(tl[1] + 1)} M186,30 L{n(tr[0] - 14)},{n(tr[1] - 1)}", width=2, opacity=0.8)
    plate = polyline([tl, tr, br, bl]) + " Z"
    # Edge of the sheet, to give it thickness.
    body += path(polyline([tr, (tr[0] + 7, tr[1] + 4), (br[0] + 7, br[1] - 3), br]), width=2, opacity=0.6)
    body += fill_path(plate, opacity=0.14)
    body += path(plate, width=3.5)
    for k, v in enumerate((0.3, 0.5, 0.7)):
        pts = []
        for i in range(0, 101):
            u = i / 100.0
            top = (tl[0] + u * (tr[0] - tl[0]), tl[1] + u * (tr[1] - tl[1]))
            bot = (bl[0] + u * (br[0] - bl[0]), bl[1] + u * (br[1] - bl[1]))
            amp = 7.0 * math.sin(math.pi * u)
            y = top[1] + v * (bot[1] - top[1]) + amp * math.sin(2 * math.pi * (2.5 * u + 0.25 * k))
            pts.append((top[0], y))
        body += path(polyline(pts), width=2.5, opacity=0.7)
    body += circle(130, 150, 6, fill_opacity=1.0)
    body += circle(130, 150, 13, stroke=2, stroke_opacity=0.6)
    return document(256, 256, body)


SPACE_PICTURES = [
    # back-wall scale, cross-sections, ripples, vaulted
    ("space_type_a", (0.62, 0, 1, False)),  # small room
    ("space_type_b", (0.44, 1, 2, False)),  # medium room
    ("space_type_c", (0.40, 1, 2, True)),  # small hall
    ("space_type_d", (0.30, 2, 3, True)),  # medium hall
    ("space_type_e", (0.21, 3, 4, True)),  # large hall
]


def space_size_ring():
    c = (227.5, 49.0)
    body = f'<ellipse cx="{c[0]}" cy="{c[1]}" rx="222" ry="44" {stroke_attrs(3, 0.95)}/>\n'
    body += f'<ellipse cx="{c[0]}" cy="{c[1]}" rx="160" ry="31.5" {stroke_attrs(2, 0.5)}/>\n'
    body += f'<ellipse cx="{c[0]}" cy="{c[1]}" rx="98" ry="19.5" {stroke_attrs(2, 0.28)}/>\n'
    for x in (c[0] - 222, c[0] + 222):
        body += path(f"M{n(x)},{n(c[1] - 8)} V{n(c[1] + 8)}", width=3, cap="butt")
    for y in (c[1] - 44, c[1] + 44):
        body += path(f"M{n(c[0] - 10)},{n(y)} H{n(c[0] + 10)}", width=3, cap="butt")
    return document(455, 98, body)


# ---------------------------------------------------------------------------------------------
# Signal flow. The drawing is made in design-frame coordinates and placed into each image with the
# inverse of the uniform fit that the screen applies to it.

FLOW_W, FLOW_H = 2154, 792
SHARED_W, SHARED_H = 925, 790
ANNOTATION_W, ANNOTATION_H = 461, 317
LINE = 3.0

HUD_INSET = 10.0  # where the HUD outline lies inside a frame rectangle


def voice_path_height(lay):
    """Height of the voice path: in the gap between the two model slots."""
    x, y, w, h = lay.model
    c = int(0.0417 * h)
    a = h - 2 * c
    e = int(0.0695 * a)
    x0 = c + e
    inner_h = max(a - 2 * e, 0)
    t = min(inner_h, int(0.15 * inner_h))
    r = inner_h - t
    slot_a_bottom = y + x0 + t + 18 + (r / 2 - 36)
    slot_b_top = y + x0 + t + 18 + r / 2
    return (slot_a_bottom + slot_b_top) / 2


BUS_Y = voice_path_height(LAYOUT)


class FlowPoints:
    """Anchor points of the flow drawing, in design-frame pixels."""

    def __init__(self, lay):
        fi = lay.frame(lay.input)
        fm = lay.frame(lay.model)
        fo = lay.frame(lay.output)
        self.input_right = fi[0] + fi[2] - HUD_INSET
        self.input_bottom = fi[1] + fi[3] - HUD_INSET
        self.model_left = fm[0] + HUD_INSET
        self.model_right = fm[0] + fm[2] - HUD_INSET
        self.model_bottom = fm[1] + fm[3] - HUD_INSET
        self.output_left = fo[0] + HUD_INSET

        # Bottom row: the ducking curve and the signal symbol share one height with the flow line.
        dx, dy, dw, dh = lay.ducking
        u = int(0.618 * dh)
        cx0, cy0, cs = lay.fit((dx + 24, dy, dw - 48, u), DUCK_W, DUCK_H)
        self.duck_left = cx0
        self.duck_right = cx0 + DUCK_W * cs
        self.duck_centre = dx + dw / 2
        self.aux_y = cy0 + DUCK_LEVEL * cs
        ax, ay, aw, ah = lay.aux
        sx, sy, ss = lay.fit((ax, ay, aw, int(0.618 * ah)), 260, 260)
        self.aux_ring_right = sx + (130 + 112) * ss
        self.ripple_top = dy

        mx, my, mside = lay.knob_centre(lay.mix)
        ring = 126.0 / 256.0 * mside
        self.mix_left = mx - ring
        self.mix_right = mx + ring
        self.mix_edge = lay.mix[0] + lay.mix[2]

        rx, ry, rw, rh = lay.reverb
        half = rw / 2
        l = int(0.618 * rh)
        o = int(0.382 * int(0.382 * rh))
        pic_h = min(rh, int(1.618 * (l + o) / 2.618))
        px, py, ps = lay.fit((rx, ry, half, pic_h), 256, 256)
        self.space_right = px + 256 * ps
        self.space_mid_y = py + 128 * ps
        self.band_y = (self.model_bottom + HUD_INSET + ry) / 2 + 2  # between the two rows
        self.mix_node_x = 1990.0


FLOW = FlowPoints(LAYOUT)


def placed(box, iw, ih, content):
    """Wraps design-frame content so that it lands where the screen draws an iw x ih image."""
    x, y, s = LAYOUT.fit(box, iw, ih)
    return f'<g transform="scale({1 / s:.6f}) translate({-x:.3f} {-y:.3f})">\n{content}</g>\n'


def flow_line(d, dash=None, opacity=1.0):
    return path(d, width=LINE, dash=dash, opacity=opacity)


def dot(x, y, r=6.0):
    return circle(x, y, r, fill_opacity=1.0)


def port(x, y):
    return circle(x, y, 10, stroke=LINE)


def flow_layer(index, bypassed):
    p = FLOW
    c = ""
    if index == 0:
        # Voice from the input panel into the model panel.
        c += flow_line(f"M{n(p.input_right)},{n(BUS_Y)} H{n(p.model_left)}")
        c += dot(p.input_right, BUS_Y) + dot(p.model_left, BUS_Y)
        c += chevron((p.input_right + p.model_left) / 2, BUS_Y)
        # The raw voice also drives the ducker.
        x0 = p.input_right - 124
        y0 = p.input_bottom
        xb = p.duck_centre
        yb = p.band_y - 4
        c += dot(x0, y0, 5)
        c += flow_line(
            f"M{n(x0)},{n(y0)} V{n(yb - 12)} Q{n(x0)},{n(yb)} {n(x0 + 12)},{n(yb)} H{n(xb - 12)} "
            f"Q{n(xb)},{n(yb)} {n(xb)},{n(yb + 12)} V{n(p.ripple_top - 8)}",
            dash="7 7",
        )
        c += chevron(xb, p.ripple_top - 6, "down", size=7)
        # Background music from the AUX input into the ducker.
        x0 = p.aux_ring_right + 8
        c += dot(x0, p.aux_y, 5)
        c += flow_line(f"M{n(x0)},{n(p.aux_y)} H{n(p.duck_left)}")
        c += chevron((x0 + p.duck_left) / 2, p.aux_y, size=7)
    elif index == 1:
        # Through the conversion, or straight past it while bypassed.
        c += port(p.model_left, BUS_Y) + port(p.model_right, BUS_Y)
        if bypassed:
            c += flow_line(f"M{n(p.model_left + 14)},{n(BUS_Y)} H{n(p.model_right - 14)}", dash="12 10")
            span = p.model_right - p.model_left
            for k in range(1, 6):
                c += chevron(p.model_left + span * k / 6, BUS_Y)
        else:
            c += path(f"M{n(p.model_left + 50)},{n(BUS_Y)} H{n(p.model_right - 50)}", width=2, opacity=0.35)
            c += chevron(p.model_left + 26, BUS_Y)
            c += chevron(p.model_left + 40, BUS_Y, opacity=0.5)
            c += chevron(p.model_right - 40, BUS_Y, opacity=0.5)
            c += chevron(p.model_right - 26, BUS_Y)
    elif index == 2:
        # Converted voice to the mix point; ducked music to the mix-level knob.
        c += dot(p.model_right, BUS_Y)
        c += flow_line(f"M{n(p.model_right)},{n(BUS_Y)} H{n(p.mix_node_x - 24)}")
        c += chevron((p.model_right + p.mix_node_x - 24) / 2, BUS_Y)
        c += flow_line(f"M{n(p.duck_right)},{n(p.aux_y)} H{n(p.mix_left - 6)}")
        c += chevron((p.duck_right + p.mix_left) / 2, p.aux_y, size=7)
        c += dot(p.mix_left - 6, p.aux_y, 5)
    else:
        # The mix into the output panel.
        c += flow_line(f"M{n(p.mix_node_x + 24)},{n(BUS_Y)} H{n(p.output_left)}")
        span = p.output_left - p.mix_node_x - 24
        c += chevron(p.mix_node_x + 24 + span * 0.45, BUS_Y)
        c += chevron(p.mix_node_x + 24 + span * 0.45 + 14, BUS_Y, opacity=0.5)
        c += dot(p.output_left, BUS_Y) + port(p.output_left, BUS_Y)
    layers, _, _ = LAYOUT.flow_boxes()
    return document(FLOW_W, FLOW_H, placed(layers, FLOW_W, FLOW_H, c))


def flow_shared():
    p = FLOW
    c = ""
    # Mix point where the voice and the music meet.
    c += circle(p.mix_node_x, BUS_Y, 24, stroke=LINE)
    c += path(f"M{n(p.mix_node_x - 11)},{n(BUS_Y)} H{n(p.mix_node_x + 11)} M{n(p.mix_node_x)},{n(BUS_Y - 11)} V{n(BUS_Y + 11)}", width=LINE)
    # The music leaves the mix-level knob and rises to the mix point.
    x0 = p.mix_right + 6
    riser = p.mix_edge - 35
    yb = p.band_y
    c += dot(x0, p.aux_y, 5)
    c += flow_line(
        f"M{n(x0)},{n(p.aux_y)} H{n(riser - 12)} Q{n(riser)},{n(p.aux_y)} {n(riser)},{n(p.aux_y - 12)} "
        f"V{n(yb + 12)} Q{n(riser)},{n(yb)} {n(riser + 12)},{n(yb)} H{n(p.mix_node_x)} V{n(BUS_Y + 24)}"
    )
    c += chevron(riser, (p.aux_y + yb) / 2, "up", size=7)
    for frac in (0.3, 0.7):
        c += chevron(riser + (p.mix_node_x - riser) * frac, yb, size=7)
    c += chevron(p.mix_node_x, (yb + BUS_Y) / 2, "up")
    c += chevron(p.mix_node_x, (yb + BUS_Y) / 2 + 14, "up", opacity=0.5)
    # Junction with the line from the reverb picture.
    c += flow_line(f"M{n(p.mix_node_x)},{n(yb)} V{n(LAYOUT.y2 + 4)}")
    c += dot(p.mix_node_x, yb)
    _, shared, _ = LAYOUT.flow_boxes()
    return document(SHARED_W, SHARED_H, placed(shared, SHARED_W, SHARED_H, c))


def flow_annotation():
    p = FLOW
    x = p.mix_node_x
    y_top = LAYOUT.y2 - 2
    bend = p.space_mid_y - 60
    c = flow_line(
        f"M{n(x)},{n(y_top)} V{n(bend)} L{n(x - 60)},{n(p.space_mid_y)} H{n(p.space_right + 16)}"
    )
    c += circle(p.space_right + 9, p.space_mid_y, 7, stroke=LINE)
    _, _, annotation = LAYOUT.flow_boxes()
    return document(ANNOTATION_W, ANNOTATION_H, placed(annotation, ANNOTATION_W, ANNOTATION_H, c))


# ---------------------------------------------------------------------------------------------
# Brand: the mark (a voice wave passing through a ring), the word "Tavilo", the icons, the
# background.


def mark_wave(cx, cy, radius, amp):
    """A wave crossing the ring: irregular where it enters (the speaker), even where it leaves."""
    pts = []
    x0, x1 = cx - radius * 1.25, cx + radius * 1.25
    steps = 220
    for i in range(steps + 1):
        t = i / steps
        x = x0 + t * (x1 - x0)
        env = math.sin(math.pi * t) ** 1.2
        rough = 0.55 * math.sin(2 * math.pi * 3.1 * t) + 0.45 * math.sin(2 * math.pi * 7.3 * t + 1.1)
        smooth = math.sin(2 * math.pi * 3.5 * t + 0.4)
        mix = 1 / (1 + math.exp(-(t - 0.5) * 14))
        y = cy - amp * env * ((1 - mix) * rough + mix * smooth)
        pts.append((x, y))
    return polyline(pts)


def app_logo():
    body = ""
    # Mark
    cx, cy, r = 88.0, 90.0, 62.0
    body += circle(cx, cy, r, stroke=8)
    body += path(mark_wave(cx, cy, r, 34), width=7)
    # Word, drawn with strokes on a baseline: cap height 104, x-height 62.
    sw = 11.0
    base = 142.0
    cap = base - 104
    xh = base - 62
    h = sw / 2
    x = 192.0
    word = ""
    # T
    word += path(f"M{n(x)},{n(cap + h)} H{n(x + 70)} M{n(x + 35)},{n(cap + h)} V{base}", width=sw, cap="butt", join="miter")
    x += 70 + 16
    # a (single storey)
    rb = (62 - sw) / 2
    bcx, bcy = x + rb + h, base - 31
    word += circle(bcx, bcy, rb, stroke=sw)
    word += path(f"M{n(bcx + rb)},{n(xh)} V{base}", width=sw, cap="butt")
    x = bcx + rb + h + 18
    # v
    vw = 60.0
    word += (
        f'<clipPath id="xband"><rect x="0" y="{n(xh)}" width="590" height="{n(base - xh)}"/></clipPath>\n'
        f'<path clip-path="url(#xband)" d="M{n(x + h - 4)},{n(xh - 20)} L{n(x + vw / 2)},{n(base - 4)} L{n(x + vw - h + 4)},{n(xh - 20)}" '
        f'{stroke_attrs(sw, cap="butt", join="miter")}/>\n'
    )
    x += vw + 16
    # i
    word += path(f"M{n(x + h)},{n(xh)} V{base}", width=sw, cap="butt")
    word += circle(x + h, cap + 9, 7.5, fill_opacity=1.0)
    x += sw + 22
    # l
    word += path(f"M{n(x + h)},{n(cap)} V{base}", width=sw, cap="butt")
    x += sw + 18
    # o
    word += circle(x + rb + h, base - 31, rb, stroke=sw)
    body += word
    return document(590, 180, body)


def icon(size):
    k = size / 200.0
    thick = 1.0 if size >= 128 else 1.6
    defs = (
        f'<linearGradient id="tile" x1="0" y1="0" x2="0" y2="1">\n'
        f'<stop offset="0" stop-color="#16294a"/><stop offset="1" stop-color="#070c17"/>\n'
        "</linearGradient>\n"
        f'<linearGradient id="ink" x1="0" y1="0" x2="1" y2="0">\n'
        f'<stop offset="0" stop-color="{ACCENT_BLUE}"/><stop offset="1" stop-color="{ACTIVE_CYAN}"/>\n'
        "</linearGradient>\n"
        f'<radialGradient id="glow" cx="0.5" cy="0.45" r="0.5">\n'
        f'<stop offset="0" stop-color="{ACCENT_BLUE}" stop-opacity="0.35"/>'
        f'<stop offset="1" stop-color="{ACCENT_BLUE}" stop-opacity="0"/>\n'
        "</radialGradient>\n"
    )
    m = 6 * k
    side = size - 2 * m
    body = f'<rect x="{n(m)}" y="{n(m)}" width="{n(side)}" height="{n(side)}" rx="{n(40 * k)}" fill="url(#tile)"/>\n'
    body += f'<rect x="{n(m)}" y="{n(m)}" width="{n(side)}" height="{n(side)}" rx="{n(40 * k)}" fill="url(#glow)"/>\n'
    inset = m + 1.5 * k * thick
    body += (
        f'<rect x="{n(inset)}" y="{n(inset)}" width="{n(size - 2 * inset)}" height="{n(size - 2 * inset)}" '
        f'rx="{n(38.5 * k)}" fill="none" stroke="{ACCENT_BLUE}" stroke-opacity="0.55" stroke-width="{n(3 * k * thick)}"/>\n'
    )
    cx, cy, r = size / 2, size / 2, 58 * k
    body += f'<circle cx="{n(cx)}" cy="{n(cy)}" r="{n(r)}" fill="none" stroke="url(#ink)" stroke-width="{n(8 * k * thick)}"/>\n'
    body += (
        f'<path d="{mark_wave(cx, cy, r, 32 * k)}" fill="none" stroke="url(#ink)" stroke-width="{n(7 * k * thick)}" '
        'stroke-linecap="round" stroke-linejoin="round"/>\n'
    )
    return document(size, size, body, defs)


def background():
    cw, ch = 2880, 1800
    defs = (
        '<radialGradient id="base" cx="1440" cy="760" r="1900" gradientUnits="userSpaceOnUse">\n'
        '<stop offset="0" stop-color="#111d31"/><stop offset="0.5" stop-color="#0a1322"/>'
        '<stop offset="1" stop-color="#04070d"/>\n'
        "</radialGradient>\n"
        '<radialGradient id="glow" cx="1440" cy="800" r="1150" gradientUnits="userSpaceOnUse" '
        'gradientTransform="translate(1440 800) scale(1 0.5) translate(-1440 -800)">\n'
        f'<stop offset="0" stop-color="{ACCENT_BLUE}" stop-opacity="0.10"/>'
        f'<stop offset="1" stop-color="{ACCENT_BLUE}" stop-opacity="0"/>\n'
        "</radialGradient>\n"
        '<radialGradient id="fade" cx="1440" cy="800" r="1500" gradientUnits="userSpaceOnUse">\n'
        '<stop offset="0" stop-color="#fff" stop-opacity="1"/><stop offset="1" stop-color="#fff" stop-opacity="0"/>\n'
        "</radialGradient>\n"
        '<mask id="gridmask"><rect width="2880" height="1800" fill="url(#fade)"/></mask>\n'
        '<pattern id="grid" width="60" height="60" patternUnits="userSpaceOnUse" x="0" y="20">\n'
        '<path d="M0,0.5 H60 M0.5,0 V60" fill="none" stroke="#8fc8ff" stroke-opacity="0.05" stroke-width="1"/>\n'
        "</pattern>\n"
    )
    body = f'<rect width="{cw}" height="{ch}" fill="url(#base)"/>\n'
    body += f'<rect width="{cw}" height="{ch}" fill="url(#glow)"/>\n'
    body += f'<rect width="{cw}" height="{ch}" fill="url(#grid)" mask="url(#gridmask)"/>\n'
    # Two faint arcs around the centre of the screen.
    for r, op in ((760, 0.035), (1120, 0.025)):
        body += f'<circle cx="1440" cy="800" r="{r}" fill="none" stroke="#8fc8ff" stroke-opacity="{op}" stroke-width="2"/>\n'
    return document(cw, ch, body, defs)


# ---------------------------------------------------------------------------------------------

IMAGES = {
    "app_icon": lambda: icon(200),
    "app_logo": app_logo,
    "button_large_default_slice9_l52_t52_r53_b53": button_large,
    "button_small_default_slice9_l20_t20_r24_b24": lambda: button_small(False),
    "button_small_selected_slice9_l20_t20_r24_b24": lambda: button_small(True),
    "checkmark_check": lambda: checkmark(True),
    "checkmark_uncheck": lambda: checkmark(False),
    "ducking_flat": lambda: ducking_picture(0),
    "ducking_weak": lambda: ducking_picture(44),
    "ducking_strong": lambda: ducking_picture(96),
    "ducking_reactor_dot": ducking_dot,
    "ducking_reactor_ripple": ducking_ripple,
    "hairline_slice9_l1_t1_r3_b3": hairline,
    "hud_panel_slice9_l205_t190_r225_b240": hud_panel,
    "knob_guide": knob_guide,
    "knob_wheel": knob_wheel,
    "knob_wheel_current_point_base_center": knob_pointer,
    "level_meter_max_gradient": level_meter_gradient,
    "level_meter_scale_guide": level_meter_scale,
    "signalflow_shared": flow_shared,
    "slider_thumb_default": lambda: slider_thumb("default"),
    "slider_thumb_hover": lambda: slider_thumb("hover"),
    "slider_thumb_pressed": lambda: slider_thumb("pressed"),
    "space_annotation_line": flow_annotation,
    "space_size_ring": space_size_ring,
    "space_type_f": space_plate,
    "symbol_image_placeholder": symbol_image_placeholder,
    "symbol_mic": symbol_mic,
    "symbol_open_combo_box": symbol_open_combo_box,
    "symbol_settings": symbol_settings,
    "symbol_signal": symbol_signal,
    "icon_tavilo_master_20190328_1024x1024-64": lambda: icon(64),
    "OstrelPC_GUI_Main_Sample_Bg": background,
}
for _i in range(4):
    IMAGES[f"signalflow_bypass_off_{_i + 1}of4"] = (lambda i: lambda: flow_layer(i, False))(_i)
    IMAGES[f"signalflow_bypass_on_{_i + 1}of4"] = (lambda i: lambda: flow_layer(i, True))(_i)
for _name, _args in SPACE_PICTURES:
    IMAGES[_name] = (lambda a: lambda: space_room(*a))(_args)


def main(argv):
    out = argv[1] if len(argv) > 1 else HERE
    os.makedirs(out, exist_ok=True)
    for stem, make in sorted(IMAGES.items()):
        with open(os.path.join(out, stem + ".svg"), "w", encoding="utf-8") as f:
            f.write(make())
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
