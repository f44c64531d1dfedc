#!/usr/bin/env python3
"""Draws the textures of the built-in skin ("UserSkin") into
resources/skins/user/textures: a light theme of soft grey frames with a blue
accent. Run it after changing a texture; the PNG files are kept in the tree
so that the build needs no Python. Standard library only."""
import math
import os
import struct
import sys
import zlib

OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "resources", "skins", "user", "textures")

SS = 4  # supersampling per axis for edges


def rgb(h):
    h = h.lstrip("#")
    return (int(h[0:2], 16), int(h[2:4], 16), int(h[4:6], 16))


class Canvas:
    def __init__(self, w, h):
        self.w, self.h = w, h
        self.px = [[0.0, 0.0, 0.0, 0.0] for _ in range(w * h)]  # premultiplied floats 0..1

    def blend(self, x, y, color, alpha):
        if not (0 <= x < self.w and 0 <= y < self.h) or alpha <= 0:
            return
        p = self.px[y * self.w + x]
        a = min(1.0, alpha)
        for i in range(3):
            p[i] = color[i] / 255.0 * a + p[i] * (1 - a)
        p[3] = a + p[3] * (1 - a)

    def shape(self, x0, y0, x1, y1, inside, color_at):
        """Blends color_at(x, y) wherever inside(fx, fy) holds, with coverage."""
        for y in range(max(0, int(y0)), min(self.h, int(math.ceil(y1)))):
            for x in range(max(0, int(x0)), min(self.w, int(math.ceil(x1)))):
                n = 0
                for sy in range(SS):
                    for sx in range(SS):
                        if inside(x + (sx + 0.5) / SS, y + (sy + 0.5) / SS):
                            n += 1
                if n:
                    c = color_at(x, y)
                    a = c[3] if len(c) > 3 else 1.0
                    self.blend(x, y, c, a * n / (SS * SS))

    def rect(self, x0, y0, x1, y1, color, alpha=1.0):
        for y in range(y0, y1):
            for x in range(x0, x1):
                self.blend(x, y, color, alpha)

    def png(self, name):
        raw = bytearray()
        for y in range(self.h):
            raw.append(0)
            for x in range(self.w):
                p = self.px[y * self.w + x]
                a = p[3]
                if a <= 0:
                    raw += bytes(4)
                else:
                    raw += bytes([min(255, int(round(p[i] / a * 255))) for i in range(3)] + [int(round(a * 255))])

        def chunk(t, d):
            c = struct.pack(">I", len(d)) + t + d
            return c + struct.pack(">I", zlib.crc32(t + d) & 0xFFFFFFFF)

        data = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", self.w, self.h, 8, 6, 0, 0, 0))
        data += chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b"")
        with open(os.path.join(OUT, name), "wb") as f:
            f.write(data)


def round_rect_inside(x0, y0, x1, y1, r):
    def inside(fx, fy):
        if fx < x0 or fx > x1 or fy < y0 or fy > y1:
            return False
        cx = min(max(fx, x0 + r), x1 - r)
        cy = min(max(fy, y0 + r), y1 - r)
        return (fx - cx) ** 2 + (fy - cy) ** 2 <= r * r
    return inside


def mix(a, b, t):
    return tuple(a[i] + (b[i] - a[i]) * t for i in range(3))


def framed(c, x0, y0, w, h, border, top, bottom, radius=3.0, inner=None):
    """A rounded frame: a 1-pixel border and a vertical gradient inside."""
    c.shape(x0, y0, x0 + w, y0 + h, round_rect_inside(x0, y0, x0 + w, y0 + h, radius), lambda x, y: rgb(border))
    t, b = rgb(top), rgb(bottom)
    c.shape(x0 + 1, y0 + 1, x0 + w - 1, y0 + h - 1,
            round_rect_inside(x0 + 1, y0 + 1, x0 + w - 1, y0 + h - 1, max(0.5, radius - 1)),
            lambda x, y: mix(t, b, (y - y0) / max(1, h - 1)))
    if inner:
        c.shape(x0 + 1, y0 + 1, x0 + w - 1, y0 + 2, lambda fx, fy: True, lambda x, y: rgb(inner) + (0.6,))


# The states of a push button: border, gradient top, gradient bottom.
BUTTON = {
    "normal": ("#ADADAD", "#FCFCFC", "#E6E6E6"),
    "hot": ("#7EB4EA", "#F2F8FE", "#DCEBFC"),
    "pressed": ("#569DE5", "#D4E6F8", "#C4DDF6"),
    "disabled": ("#D5D5D5", "#F5F5F5", "#F5F5F5"),
    "active": ("#3C7FB1", "#FAFCFE", "#E4EEF8"),
    "checked": ("#569DE5", "#DDEBFA", "#CCE2F8"),
}


def button_strip(name, w, h, states, images=1, radius=3.0, vertical=True):
    n = len(states) * images
    c = Canvas(w, h * n) if vertical else Canvas(w * n, h)
    for k in range(n):
        s = states[k % len(states)]
        border, top, bottom = BUTTON[s]
        x, y = (0, k * h) if vertical else (k * w, 0)
        framed(c, x, y, w, h, border, top, bottom, radius)
    c.png(name)
    return c


def polygon_inside(points):
    def inside(fx, fy):
        r = False
        j = len(points) - 1
        for i in range(len(points)):
            xi, yi = points[i]
            xj, yj = points[j]
            if (yi > fy) != (yj > fy) and fx < (xj - xi) * (fy - yi) / (yj - yi) + xi:
                r = not r
            j = i
        return r
    return inside


def segment_inside(x0, y0, x1, y1, width):
    def inside(fx, fy):
        dx, dy = x1 - x0, y1 - y0
        l2 = dx * dx + dy * dy
        t = 0 if l2 == 0 else max(0, min(1, ((fx - x0) * dx + (fy - y0) * dy) / l2))
        px, py = x0 + t * dx, y0 + t * dy
        return (fx - px) ** 2 + (fy - py) ** 2 <= (width / 2) ** 2
    return inside


def arrow(c, ox, oy, size, direction, color):
    """A small filled triangle centred in the size x size cell at (ox, oy)."""
    m = size / 2.0
    a = size * 0.22
    pts = {
        "up": [(m - 2 * a, m + a), (m + 2 * a, m + a), (m, m - a)],
        "down": [(m - 2 * a, m - a), (m + 2 * a, m - a), (m, m + a)],
        "left": [(m + a, m - 2 * a), (m + a, m + 2 * a), (m - a, m)],
        "right": [(m - a, m - 2 * a), (m - a, m + 2 * a), (m + a, m)],
    }[direction]
    pts = [(ox + x, oy + y) for x, y in pts]
    c.shape(ox, oy, ox + size, oy + size, polygon_inside(pts), lambda x, y: color)


GLYPH = {"normal": rgb("#505050"), "hot": rgb("#2B79D8"), "pressed": rgb("#1C5FAF"), "disabled": rgb("#B4B4B4")}
FOUR = ["normal", "hot", "pressed", "disabled"]


def main():
    os.makedirs(OUT, exist_ok=True)
    # Push buttons and the editor buttons.
    button_strip("button.png", 24, 22, ["normal", "hot", "pressed", "disabled", "active", "checked"])
    button_strip("editorbutton.png", 17, 17, FOUR, radius=2.0)
    button_strip("smallbutton.png", 16, 14, FOUR, radius=2.0)
    # Scroll bars: buttons (4 images of 4 states), their arrow glyphs, the
    # thumbs and the page areas.
    c = Canvas(17, 17 * 16)
    for image in range(4):
        for k, s in enumerate(FOUR):
            y = (image * 4 + k) * 17
            if s in ("hot", "pressed"):
                border, top, bottom = BUTTON[s]
                framed(c, 0, y, 17, 17, border, top, bottom, 2.0)
    c.png("scrollbutton.png")
    c = Canvas(17, 17 * 16)
    for image, d in enumerate(["up", "down", "left", "right"]):
        for k, s in enumerate(FOUR):
            arrow(c, 0, (image * 4 + k) * 17, 17, d, GLYPH[s])
    c.png("scrollarrows.png")
    for name, vertical in (("thumbvert.png", True), ("thumbhorz.png", False)):
        w, h = (17, 24) if vertical else (24, 17)
        c = Canvas(w, h * 4)
        fills = {"normal": "#CDCDCD", "hot": "#A6A6A6", "pressed": "#7A7A7A", "disabled": "#E0E0E0"}
        for k, s in enumerate(FOUR):
            y = k * h
            if vertical:
                c.shape(4, y + 1, 13, y + h - 1, round_rect_inside(4, y + 1, 13, y + h - 1, 4.5), lambda x, yy, f=fills[s]: rgb(f))
            else:
                c.shape(1, y + 4, w - 1, y + 13, round_rect_inside(1, y + 4, w - 1, y + 13, 4.5), lambda x, yy, f=fills[s]: rgb(f))
        c.png(name)
    for name, vertical in (("scrollcontentvert.png", True), ("scrollcontenthorz.png", False)):
        c = Canvas(17, 17 * 4)
        tones = {"normal": "#F0F0F0", "hot": "#E6E6E6", "pressed": "#DADADA", "disabled": "#F5F5F5"}
        for k, s in enumerate(FOUR):
            c.rect(0, k * 17, 17, (k + 1) * 17, rgb(tones[s]))
        c.png(name)
    # Column headers: flat with a bottom line and a right separator.
    c = Canvas(20, 20 * 4)
    tones = {"normal": ("#FFFFFF", "#F3F3F3"), "hot": ("#F2F8FE", "#DCEBFC"), "pressed": ("#D4E6F8", "#C4DDF6"),
             "disabled": ("#F7F7F7", "#F7F7F7")}
    for k, s in enumerate(FOUR):
        y = k * 20
        t, b = rgb(tones[s][0]), rgb(tones[s][1])
        for yy in range(20):
            c.rect(0, y + yy, 20, y + yy + 1, mix(t, b, yy / 19.0))
        c.rect(19, y + 3, 20, y + 17, rgb("#D5D5D5"))
        c.rect(0, y + 19, 20, y + 20, rgb("#C5C5C5"))
    c.png("header.png")
    # Size grip: six dots in a triangle.
    c = Canvas(12, 12)
    for i in range(3):
        for j in range(3 - i):
            x, y = 9 - j * 3 - 0.5, 9 - i * 3 - 0.5
            c.shape(x - 1.2, y - 1.2, x + 1.2, y + 1.2, lambda fx, fy, x=x, y=y: (fx - x) ** 2 + (fy - y) ** 2 <= 1.1,
                    lambda a, b: rgb("#9A9A9A"))
    c.png("sizegrip.png")
    # Splitters: a row of dots, normal and hot.
    for name, vertical in (("splitter.png", True), ("splitterhorz.png", False)):
        w, h = (5, 24) if vertical else (24, 5)
        c = Canvas(w, h * 2) if vertical else Canvas(w * 2, h)
        for k, col in enumerate(("#A0A0A0", "#2B79D8")):
            for d in range(4):
                if vertical:
                    x, y = 2.5, k * h + 6 + d * 4
                else:
                    x, y = k * w + 6 + d * 4, 2.5
                c.shape(x - 1.3, y - 1.3, x + 1.3, y + 1.3,
                        lambda fx, fy, x=x, y=y: (fx - x) ** 2 + (fy - y) ** 2 <= 1.2, lambda a, b, col=col: rgb(col))
        c.png(name)
    # Check box: unchecked, checked, grayed; 4 states each, 13 x 13.
    c = Canvas(13, 13 * 12)
    for image in range(3):
        for k, s in enumerate(FOUR):
            y = (image * 4 + k) * 13
            border = {"normal": "#707070", "hot": "#2B79D8", "pressed": "#1C5FAF", "disabled": "#BCBCBC"}[s]
            fill = {"normal": "#FFFFFF", "hot": "#F2F8FE", "pressed": "#D4E6F8", "disabled": "#F4F4F4"}[s]
            c.shape(0, y, 13, y + 13, round_rect_inside(0, y, 13, y + 13, 1.5), lambda a, b, v=border: rgb(v))
            c.rect(1, y + 1, 12, y + 12, rgb(fill))
            mark = GLYPH[s] if s != "hot" else rgb("#1C5FAF")
            if image == 1:
                for seg in ((3, y + 6.5, 5.5, y + 9), (5.5, y + 9, 10, y + 3.8)):
                    c.shape(1, y + 1, 12, y + 12, segment_inside(seg[0], seg[1], seg[2], seg[3], 1.7), lambda a, b, m=mark: m)
            elif image == 2:
                c.rect(3, y + 3, 10, y + 10, mark, 0.75)
    c.png("checkbox.png")
    # Radio button: unchecked, checked; 4 states each.
    c = Canvas(13, 13 * 8)
    for image in range(2):
        for k, s in enumerate(FOUR):
            y = (image * 4 + k) * 13
            border = {"normal": "#707070", "hot": "#2B79D8", "pressed": "#1C5FAF", "disabled": "#BCBCBC"}[s]
            fill = {"normal": "#FFFFFF", "hot": "#F2F8FE", "pressed": "#D4E6F8", "disabled": "#F4F4F4"}[s]
            cx, cy = 6.5, y + 6.5
            c.shape(0, y, 13, y + 13, lambda fx, fy, cy=cy: (fx - cx) ** 2 + (fy - cy) ** 2 <= 6.4 ** 2, lambda a, b, v=border: rgb(v))
            c.shape(0, y, 13, y + 13, lambda fx, fy, cy=cy: (fx - cx) ** 2 + (fy - cy) ** 2 <= 5.4 ** 2, lambda a, b, v=fill: rgb(v))
            if image == 1:
                c.shape(0, y, 13, y + 13, lambda fx, fy, cy=cy: (fx - cx) ** 2 + (fy - cy) ** 2 <= 2.8 ** 2, lambda a, b, m=GLYPH[s]: m)
    c.png("radio.png")
    # Editor glyphs: drop-down arrow and the four spin arrows, one state, 9 x 9.
    for name, d in (("combo.png", "down"), ("spinup.png", "up"), ("spindown.png", "down"), ("spinleft.png", "left"),
                    ("spinright.png", "right")):
        c = Canvas(9, 9)
        arrow(c, 0, 0, 9, d, GLYPH["normal"])
        c.png(name)
    # Close button glyph: a cross, 4 states on the small button.
    c = Canvas(16, 14 * 4)
    for k, s in enumerate(FOUR):
        y = k * 14
        if s in ("hot", "pressed"):
            border, top, bottom = BUTTON[s]
            framed(c, 0, y, 16, 14, border, top, bottom, 2.0)
        for seg in ((5, y + 4, 11, y + 10), (5, y + 10, 11, y + 4)):
            c.shape(0, y, 16, y + 14, segment_inside(*seg, 1.5), lambda a, b, g=GLYPH[s]: g)
    c.png("closebutton.png")
    # Track bar: thumbs (4 states) and the track (enabled, selection, disabled, disabled selection).
    for name, w, h, shape in (("trackthumb.png", 11, 19, "down"), ("trackthumbup.png", 11, 19, "up"),
                              ("trackthumbboth.png", 11, 19, "both"), ("trackthumbvert.png", 19, 11, "right"),
                              ("trackthumbvertup.png", 19, 11, "left"), ("trackthumbvertboth.png", 19, 11, "vboth")):
        c = Canvas(w, h * 4)
        for k, s in enumerate(FOUR):
            y = k * h
            fill = {"normal": "#2B79D8", "hot": "#1C5FAF", "pressed": "#174E91", "disabled": "#C4C4C4"}[s]
            if shape == "down":
                pts = [(0.5, y + 0.5), (10.5, y + 0.5), (10.5, y + 13), (5.5, y + 18.5), (0.5, y + 13)]
            elif shape == "up":
                pts = [(0.5, y + 18.5), (10.5, y + 18.5), (10.5, y + 6), (5.5, y + 0.5), (0.5, y + 6)]
            elif shape == "right":
                pts = [(0.5, y + 0.5), (13, y + 0.5), (18.5, y + 5.5), (13, y + 10.5), (0.5, y + 10.5)]
            elif shape == "left":
                pts = [(18.5, y + 0.5), (6, y + 0.5), (0.5, y + 5.5), (6, y + 10.5), (18.5, y + 10.5)]
            elif shape == "both":
                pts = [(0.5, y + 3), (10.5, y + 3), (10.5, y + 16), (0.5, y + 16)]
            else:
                pts = [(3, y + 0.5), (16, y + 0.5), (16, y + 10.5), (3, y + 10.5)]
            c.shape(0, y, w, y + h, polygon_inside(pts), lambda a, b, f=fill: rgb(f))
        c.png(name)
    for name, vertical in (("track.png", False), ("trackvert.png", True)):
        c = Canvas(12, 4 * 4) if not vertical else Canvas(4 * 4, 12)
        fills = ["#D6D6D6", "#2B79D8", "#E6E6E6", "#A9C6EA"]
        for k in range(4):
            if vertical:
                c.shape(k * 4, 0, k * 4 + 4, 12, round_rect_inside(k * 4, 0, k * 4 + 4, 12, 1.5), lambda a, b, f=fills[k]: rgb(f))
            else:
                c.shape(0, k * 4, 12, k * 4 + 4, round_rect_inside(0, k * 4, 12, k * 4 + 4, 1.5), lambda a, b, f=fills[k]: rgb(f))
        c.png(name)
    # Progress bar border and chunk.
    c = Canvas(12, 12)
    framed(c, 0, 0, 12, 12, "#BCBCBC", "#E6E6E6", "#F2F2F2", 2.0)
    c.png("progressborder.png")
    for name, vertical in (("progresschunk.png", False), ("progresschunkvert.png", True)):
        c = Canvas(8, 8)
        t, b = rgb("#4A95E8"), rgb("#2B79D8")
        for i in range(8):
            if vertical:
                c.rect(i, 0, i + 1, 8, mix(t, b, i / 7.0))
            else:
                c.rect(0, i, 8, i + 1, mix(t, b, i / 7.0))
        c.png(name)
    # Expand button: plus and minus, 9 x 9.
    c = Canvas(18, 9)
    for image in range(2):
        x = image * 9
        c.shape(x, 0, x + 9, 9, round_rect_inside(x, 0, x + 9, 9, 1.5), lambda a, b: rgb("#8A8A8A"))
        c.rect(x + 1, 1, x + 8, 8, rgb("#FFFFFF"))
        c.rect(x + 2, 4, x + 7, 5, rgb("#3A3A3A"))
        if image == 0:
            c.rect(x + 4, 2, x + 5, 7, rgb("#3A3A3A"))
    c.png("plusminus.png")
    # Filter button: a funnel on a small button, 4 states; inactive and active.
    for name, col in (("filterbutton.png", "#707070"), ("filterbuttonactive.png", "#2B79D8")):
        c = Canvas(14, 14 * 4)
        for k, s in enumerate(FOUR):
            y = k * 14
            if s in ("hot", "pressed"):
                border, top, bottom = BUTTON[s]
                framed(c, 0, y, 14, 14, border, top, bottom, 2.0)
            colour = rgb(col) if s != "disabled" else GLYPH["disabled"]
            c.shape(0, y, 14, y + 14, polygon_inside([(3, y + 3.5), (11, y + 3.5), (8, y + 7.5), (8, y + 11), (6, y + 10), (6, y + 7.5)]),
                    lambda a, b, v=colour: v)
        c.png(name)
    # Row indicator images, 10 of 12 x 14: arrow, edit, insert, multi dot,
    # multi arrow, and spare marks; image 8 the filter funnel.
    c = Canvas(12 * 10, 14)
    ink = rgb("#3A3A3A")
    for i in range(10):
        x = i * 12
        if i in (0, 4):
            c.shape(x, 0, x + 12, 14, polygon_inside([(x + 3.5, 3), (x + 8.5, 7), (x + 3.5, 11)]), lambda a, b: ink)
        if i == 1:
            c.shape(x, 0, x + 12, 14, segment_inside(x + 3, 11, x + 9, 3, 2.0), lambda a, b: ink)
            c.rect(x + 2, 11, x + 4, 12, ink)
        if i == 2:
            for ang in range(0, 180, 45):
                r = math.radians(ang)
                c.shape(x, 0, x + 12, 14, segment_inside(x + 6 - 3.5 * math.cos(r), 7 - 3.5 * math.sin(r),
                                                         x + 6 + 3.5 * math.cos(r), 7 + 3.5 * math.sin(r), 1.4), lambda a, b: ink)
        if i in (3, 4):
            c.shape(x, 0, x + 12, 14, lambda fx, fy, x=x: (fx - x - 9.5) ** 2 + (fy - 7) ** 2 <= 1.6, lambda a, b: ink)
        if i == 8:
            c.shape(x, 0, x + 12, 14, polygon_inside([(x + 2, 3.5), (x + 10, 3.5), (x + 7, 7.5), (x + 7, 11), (x + 5, 10), (x + 5, 7.5)]),
                    lambda a, b: rgb("#2B79D8"))
    c.png("indicators.png")
    # Tabs: normal, hot, pressed, disabled, active (the selected tab, white).
    c = Canvas(20, 22 * 5)
    tabs = {"normal": ("#C9C9C9", "#F4F4F4", "#EAEAEA"), "hot": ("#7EB4EA", "#F2F8FE", "#E4F0FC"),
            "pressed": ("#569DE5", "#E4F0FC", "#D6E8FA"), "disabled": ("#DADADA", "#F5F5F5", "#F5F5F5"),
            "active": ("#ADADAD", "#FFFFFF", "#FFFFFF")}
    for k, s in enumerate(["normal", "hot", "pressed", "disabled", "active"]):
        y = k * 22
        border, top, bottom = tabs[s]
        c.shape(0, y, 20, y + 25, round_rect_inside(0, y, 20, y + 25, 3.0), lambda a, b, v=border: rgb(v))
        t, b = rgb(top), rgb(bottom)
        c.shape(1, y + 1, 19, y + 22, round_rect_inside(1, y + 1, 19, y + 25, 2.0), lambda a, bb, y=y, t=t, b=b: mix(t, b, (bb - y) / 21.0))
        if s == "active":
            c.rect(1, y + 1, 19, y + 3, rgb("#2B79D8"))
    c.png("tabheader.png")
    # Clock: the face and a glass highlight, 64 x 64.
    c = Canvas(64, 64)
    c.shape(0, 0, 64, 64, lambda fx, fy: (fx - 32) ** 2 + (fy - 32) ** 2 <= 31.5 ** 2, lambda a, b: rgb("#9A9A9A"))
    c.shape(0, 0, 64, 64, lambda fx, fy: (fx - 32) ** 2 + (fy - 32) ** 2 <= 30 ** 2, lambda a, b: rgb("#FFFFFF"))
    for h in range(12):
        r = math.radians(h * 30)
        length = 5 if h % 3 == 0 else 3
        c.shape(0, 0, 64, 64, segment_inside(32 + 27 * math.sin(r), 32 - 27 * math.cos(r),
                                             32 + (27 - length) * math.sin(r), 32 - (27 - length) * math.cos(r),
                                             2.0 if h % 3 == 0 else 1.2), lambda a, b: rgb("#505050"))
    c.png("clockface.png")
    c = Canvas(64, 64)
    c.shape(0, 0, 64, 64, lambda fx, fy: (fx - 32) ** 2 + (fy - 24) ** 2 <= 22 ** 2 and (fx - 32) ** 2 + (fy - 32) ** 2 <= 29 ** 2,
            lambda a, b: (255, 255, 255, 0.35))
    c.png("clockglass.png")
    # Navigator: 16 glyphs of 16 x 16 (first, prior page, prior, next, next
    # page, last, insert, delete, edit, post, cancel, refresh, save bookmark,
    # goto bookmark, filter, append), and 4 for the vertical navigator.
    c = Canvas(16 * 16, 16)
    blue, red, green = rgb("#2B79D8"), rgb("#C8403A"), rgb("#3A9A3A")

    def tri(x, left, col=None):
        col = col or ink
        pts = [(x + 10, 4), (x + 10, 12), (x + 5, 8)] if left else [(x + 6, 4), (x + 6, 12), (x + 11, 8)]
        c.shape(x, 0, x + 16, 16, polygon_inside(pts), lambda a, b: col)

    for i in range(16):
        x = i * 16
        if i == 0:
            tri(x, True)
            c.rect(x + 4, 4, x + 5, 12, ink)
        elif i == 1:
            tri(x - 2, True)
            tri(x + 3, True)
        elif i == 2:
            tri(x, True)
        elif i == 3:
            tri(x, False)
        elif i == 4:
            tri(x - 3, False)
            tri(x + 2, False)
        elif i == 5:
            tri(x, False)
            c.rect(x + 11, 4, x + 12, 12, ink)
        elif i in (6, 15):
            c.rect(x + 7, 3, x + 9, 13, green)
            c.rect(x + 3, 7, x + 13, 9, green)
        elif i == 7:
            c.rect(x + 3, 7, x + 13, 9, red)
        elif i == 8:
            c.shape(x, 0, x + 16, 16, segment_inside(x + 4, 12, x + 12, 4, 2.2), lambda a, b: blue)
        elif i == 9:
            for seg in ((x + 3, 8, x + 6.5, 11.5), (x + 6.5, 11.5, x + 13, 4.5)):
                c.shape(x, 0, x + 16, 16, segment_inside(*seg, 2.0), lambda a, b: green)
        elif i == 10:
            for seg in ((x + 4, 4, x + 12, 12), (x + 4, 12, x + 12, 4)):
                c.shape(x, 0, x + 16, 16, segment_inside(*seg, 2.0), lambda a, b: red)
        elif i == 11:
            c.shape(x, 0, x + 16, 16, lambda fx, fy, x=x: 3.2 ** 2 <= (fx - x - 8) ** 2 + (fy - 8) ** 2 <= 4.8 ** 2 and not (fx > x + 8 and fy < 8),
                    lambda a, b: blue)
            c.shape(x, 0, x + 16, 16, polygon_inside([(x + 9, 1.5), (x + 9, 6.5), (x + 12.5, 4)]), lambda a, b: blue)
        elif i in (12, 13):
            c.shape(x, 0, x + 16, 16, polygon_inside([(x + 5, 3), (x + 11, 3), (x + 11, 13), (x + 8, 10), (x + 5, 13)]),
                    lambda a, b, col=(blue if i == 12 else ink): col)
        elif i == 14:
            c.shape(x, 0, x + 16, 16, polygon_inside([(x + 3, 4), (x + 13, 4), (x + 9, 8.5), (x + 9, 13), (x + 7, 12), (x + 7, 8.5)]),
                    lambda a, b: blue)
    c.png("navigator.png")
    c = Canvas(16 * 4, 16)
    for i, d in enumerate(["up", "down", "up", "down"]):
        arrow(c, i * 16, 0, 16, d, ink if i < 2 else blue)
    c.png("navigatorvert.png")
    # Scheduler navigation arrows.
    for name, d in (("navprevarrow.png", "left"), ("navnextarrow.png", "right")):
        c = Canvas(12, 12 * 4)
        for k, s in enumerate(FOUR):
            arrow(c, 0, k * 12, 12, d, GLYPH[s])
        c.png(name)
    # Form caption buttons: help, minimize, maximize, restore, close (4 states).
    for name, kind in (("formhelp.png", "help"), ("formminimize.png", "min"), ("formmaximize.png", "max"),
                       ("formrestore.png", "restore"), ("formclose.png", "close")):
        c = Canvas(24, 20 * 4)
        for k, s in enumerate(FOUR):
            y = k * 20
            if s == "hot":
                c.rect(0, y, 24, y + 20, rgb("#E81123") if kind == "close" else rgb("#E5E5E5"))
            if s == "pressed":
                c.rect(0, y, 24, y + 20, rgb("#F1707A") if kind == "close" else rgb("#CACACA"))
            g = rgb("#FFFFFF") if kind == "close" and s in ("hot", "pressed") else GLYPH["normal" if s != "disabled" else "disabled"]
            if kind == "min":
                c.rect(7, y + 10, 17, y + 11, g)
            elif kind == "max":
                for r in ((7, y + 5, 17, y + 6), (7, y + 14, 17, y + 15), (7, y + 5, 8, y + 15), (16, y + 5, 17, y + 15)):
                    c.rect(*r, g)
            elif kind == "restore":
                for r in ((7, y + 7, 15, y + 8), (7, y + 14, 15, y + 15), (7, y + 7, 8, y + 15), (14, y + 7, 15, y + 15),
                          (9, y + 5, 17, y + 6), (16, y + 5, 17, y + 13)):
                    c.rect(*r, g)
            elif kind == "close":
                for seg in ((7.5, y + 5.5, 16.5, y + 14.5), (7.5, y + 14.5, 16.5, y + 5.5)):
                    c.shape(0, y, 24, y + 20, segment_inside(*seg, 1.2), lambda a, b, g=g: g)
            else:
                c.shape(0, y, 24, y + 20, lambda fx, fy, y=y: 2.2 ** 2 <= (fx - 12) ** 2 + (fy - y - 8) ** 2 <= 3.4 ** 2 and not (fx < 12 and fy > y + 8),
                        lambda a, b, g=g: g)
                c.rect(11, y + 11, 13, y + 13, g)
                c.rect(11, y + 15, 13, y + 16, g)
        c.png(name)
    # The dock window buttons' glyphs: close, pin (4 states each).
    c = Canvas(12, 12 * 8)
    for image in range(2):
        for k, s in enumerate(FOUR):
            y = (image * 4 + k) * 12
            if image == 0:
                for seg in ((3, y + 3, 9, y + 9), (3, y + 9, 9, y + 3)):
                    c.shape(0, y, 12, y + 12, segment_inside(*seg, 1.4), lambda a, b, g=GLYPH[s]: g)
            else:
                c.rect(4, y + 2, 8, y + 7, GLYPH[s])
                c.rect(2, y + 7, 10, y + 8, GLYPH[s])
                c.rect(5, y + 8, 7, y + 11, GLYPH[s])
        c.png("dockglyphs.png")


if __name__ == "__main__":
    sys.exit(main())
