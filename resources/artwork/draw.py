#!/usr/bin/env python3
"""Draws Winkwell's icons and the frames of its animations as SVG text.

Usage: draw.py ICON_DIR WORK_DIR

The finished SVG icons go straight into ICON_DIR. Each animation NAME is left in WORK_DIR as SVG
frames plus NAME.frames, one "DELAY FRAME.svg" line per frame (DELAY in hundredths of a second);
WORK_DIR/gifs lists the animations as "NAME WIDTH HEIGHT". generate.sh rasterises and packs them.

Icons are drawn on a 24 unit grid with 2 unit round-capped lines, and keep to what Qt's SVG
renderer understands (plain shapes and paths, presentation attributes, no clipping or masks).
Animation frames are only ever read by rsvg-convert, so they may clip.
"""
import math
import os
import sys

GREEN = "#98c800"
WHITE = "#ffffff"
DARK = "#333333"
ORANGE = "#d45500"
GREY = "#808080"
BLACK = "#000000"

LINE = 2  # the one line weight, in grid units


def n(v):
    """A coordinate as short, stable text."""
    s = f"{v:.2f}".rstrip("0").rstrip(".")
    return "0" if s in ("-0", "") else s


def pt(p):
    return f"{n(p[0])} {n(p[1])}"


def svg(width, height, body, viewbox=None):
    vb = " ".join(n(v) for v in (viewbox or (0, 0, width, height)))
    return (f'<svg xmlns="http://www.w3.org/2000/svg" width="{n(width)}" height="{n(height)}" '
            f'viewBox="{vb}">\n{body}\n</svg>\n')


def strokes(color, body, width=LINE):
    return (f'<g fill="none" stroke="{color}" stroke-width="{n(width)}" '
            f'stroke-linecap="round" stroke-linejoin="round">\n{body}\n</g>')


def path(d, **attrs):
    extra = "".join(f' {k.replace("_", "-")}="{v}"' for k, v in attrs.items())
    return f'<path d="{d}"{extra}/>'


def circle(c, r, **attrs):
    extra = "".join(f' {k.replace("_", "-")}="{v}"' for k, v in attrs.items())
    return f'<circle cx="{n(c[0])}" cy="{n(c[1])}" r="{n(r)}"{extra}/>'


def disc_path(c, r):
    """A circle as two arcs, so it can share a path (and an even-odd fill) with another."""
    x, y = c
    return (f"M{n(x - r)} {n(y)}A{n(r)} {n(r)} 0 1 0 {n(x + r)} {n(y)}"
            f"A{n(r)} {n(r)} 0 1 0 {n(x - r)} {n(y)}Z")


# ---------------------------------------------------------------------------------------------
# The eye: one almond shape used everywhere (app icon, logo, reminder and exercise animations).

def lids(cx, cy, w, h, closed=0.0):
    """Upper and lower lid as cubic Bezier control points, inner to outer corner.

    closed runs from 0 (wide open, lids h/2 from the middle) to 1 (shut: both lids lie on one
    gentle downward curve, the way a closed eye is drawn)."""
    d = (h / 2) / 0.75          # control offset that puts the curve's crest h/2 from the middle
    shut = 0.28 * d
    up = -d + (d + shut) * closed
    low = d + (shut - d) * closed
    k = 0.2 * w
    x0, x1 = cx - w / 2, cx + w / 2

    def curve(off):
        return [(x0, cy), (cx - k, cy + off), (cx + k, cy + off), (x1, cy)]
    return curve(up), curve(low)


def bez_d(c, move=True):
    head = f"M{pt(c[0])}" if move else ""
    return f"{head}C{pt(c[1])} {pt(c[2])} {pt(c[3])}"


def almond_d(upper, lower):
    """The closed outline: along the upper lid, back along the lower one."""
    back = list(reversed(lower))
    return f"{bez_d(upper)}C{pt(back[1])} {pt(back[2])} {pt(back[3])}Z"


def icon_eye(cx, cy, w, h, r, color, scale=1.0):
    """The eye as an icon: almond outline and a solid iris with a highlight cut out of it."""
    upper, lower = lids(cx, cy, w, h)
    outline = strokes(color, path(almond_d(upper, lower)), LINE * scale)
    hole = disc_path((cx + 0.36 * r, cy - 0.36 * r), 0.3 * r)
    iris = path(disc_path((cx, cy), r) + hole, fill=color, fill_rule="evenodd")
    return outline + "\n" + iris


_clip_count = [0]


def frame_eye(cx, cy, w, h, closed=0.0, gaze=(0.0, 0.0), r=None, line=3.0, gap=None):
    """The eye as drawn in the animations: white on black, the iris tucked under the lids.

    The iris is clipped to the eye and then the outline is drawn over a wider black stroke, so the
    iris always keeps a little dark gap to the lids instead of running into them."""
    upper, lower = lids(cx, cy, w, h, closed)
    r = r if r is not None else 0.34 * h
    gap = gap if gap is not None else line * 0.8
    _clip_count[0] += 1
    cid = f"eye{_clip_count[0]}"
    ic = (cx + gaze[0], cy + gaze[1])
    almond = almond_d(upper, lower)
    out = [f'<defs><clipPath id="{cid}"><path d="{almond}"/></clipPath></defs>',
           f'<g clip-path="url(#{cid})">',
           circle(ic, r, fill=WHITE),
           circle((ic[0] + 0.36 * r, ic[1] - 0.36 * r), 0.3 * r, fill=BLACK),
           "</g>",
           path(almond, fill="none", stroke=BLACK, stroke_width=n(line + 2 * gap), stroke_linejoin="round"),
           strokes(WHITE, path(bez_d(upper)) + path(bez_d(lower)), line)]
    return "\n".join(out)


# ---------------------------------------------------------------------------------------------
# Icons

def app_eye(color, size=16):
    return svg(size, size, icon_eye(12, 12, 20, 13, 3.7, color), (0, 0, 24, 24))


def line_icon(color, body):
    return svg(24, 24, strokes(color, body), (0, 0, 24, 24))


def gear_d():
    """Eight rounded teeth around the hub."""
    pts = []
    teeth, ro, ri = 8, 10.0, 7.4
    for i in range(teeth):
        a = 2 * math.pi * i / teeth
        for da, rr in ((-0.27, ri), (-0.17, ro), (0.17, ro), (0.27, ri)):
            pts.append((12 + rr * math.cos(a + da), 12 + rr * math.sin(a + da)))
    # tooth tops and the roots between them are arcs about the centre
    d = f"M{pt(pts[0])}"
    for i in range(teeth):
        p = pts[4 * i: 4 * i + 4]
        d += f"L{pt(p[1])}A{n(ro)} {n(ro)} 0 0 1 {pt(p[2])}L{pt(p[3])}"
        nxt = pts[(4 * i + 4) % len(pts)]
        d += f"A{n(ri)} {n(ri)} 0 0 1 {pt(nxt)}"
    return d + "Z"


SETTINGS = path(gear_d()) + circle((12, 12), 3)
BACK = path("M19 12H5M11 6l-6 6 6 6")
WEBCAM = circle((12, 10), 6.5) + circle((12, 10), 2.5) + path("M12 16.5v4M8 20.5h8")
WEBCAM_OFF = WEBCAM + path("M3.5 3.5l17 17")
INFO = circle((12, 12), 9.5) + path("M12 11v6")
INFO_DOT = (12, 7.5)
BARS = path("M6 20v-7M12 20V5M18 20v-10")
MAXIMISE = '<rect x="4.5" y="4.5" width="15" height="15" rx="2"/>'
NORMAL = ('<rect x="4" y="9" width="11" height="11" rx="2"/>'
          + path("M9 9V6a2 2 0 0 1 2-2h7a2 2 0 0 1 2 2v7a2 2 0 0 1-2 2h-3"))
CLOSE = path("M6.5 6.5l11 11M17.5 6.5l-11 11")
PAUSE = path("M9 6v12M15 6v12")
PLAY = path("M8.5 5.5v13l10-6.5z")
POWER = path("M7.4 6.6a8 8 0 1 0 9.2 0M12 3v9")


def info_icon(color):
    return svg(24, 24, strokes(color, INFO) + "\n" + circle(INFO_DOT, 1.3, fill=color), (0, 0, 24, 24))


def toggle(on):
    """A switch, twice as wide as high: grey outline with the knob left, or green with it right."""
    if on:
        body = (f'<rect x="1" y="1" width="46" height="22" rx="11" fill="{GREEN}" stroke="{GREEN}" stroke-width="{LINE}"/>\n'
                + circle((36, 12), 7, fill=WHITE))
    else:
        body = (f'<rect x="1" y="1" width="46" height="22" rx="11" fill="none" stroke="{GREY}" stroke-width="{LINE}"/>\n'
                + circle((12, 12), 7, fill=GREY))
    return svg(48, 24, body)


def slider_handle():
    return svg(24, 24, circle((12, 12), 11, fill=GREEN) + "\n" + circle((12, 12), 3.5, fill=WHITE))


def checkmark():
    return svg(16, 16, strokes(WHITE, path("M3.5 8.5l3 3 6-7")))


def cup():
    """A steaming cup on a saucer, white for the black break window, the steam in the accent green."""
    body = strokes(WHITE, "\n".join([
        path("M15 29h30v10a12 12 0 0 1-12 12h-6a12 12 0 0 1-12-12z"),
        path("M45 32h2.5a6 6 0 0 1 0 12h-3.2"),
        path("M10 57h40"),
    ]))
    steam = strokes(GREEN, "\n".join([
        path("M23 23c-3-3 3-5 0-8s3-5 0-8"),
        path("M31 23c-3-3 3-5 0-8s3-5 0-8"),
        path("M39 23c-3-3 3-5 0-8s3-5 0-8"),
    ]))
    return svg(96, 96, body + "\n" + steam, (0, 0, 64, 64))


# Lower-case monoline letters for the wordmark: x-height 10, ascenders to -5, baseline at 10.
# Each is (advance, [commands]) with absolute coordinates; "A" is (rx, ry, large, sweep, x, y).
GLYPHS = {
    "w": (13, [("M", 0, 0), ("L", 3.25, 10), ("L", 6.5, 2), ("L", 9.75, 10), ("L", 13, 0)]),
    "i": (0, [("M", 0, 0), ("L", 0, 10)]),
    "n": (9, [("M", 0, 0), ("L", 0, 10), ("M", 0, 4.5), ("A", 4.5, 4.5, 0, 1, 9, 4.5), ("L", 9, 10)]),
    "k": (8, [("M", 0, -5), ("L", 0, 10), ("M", 8, 0), ("L", 0, 6.5), ("M", 3.2, 4), ("L", 8.5, 10)]),
    "e": (10, [("M", 0, 5), ("L", 10, 5), ("A", 5, 5, 1, 0, 8.54, 8.54)]),
    "l": (0, [("M", 0, -5), ("L", 0, 10)]),
}
DOTS = {"i": (0, -4.2)}


def glyph_d(ch, x0, y0, s):
    d = ""
    for cmd in GLYPHS[ch][1]:
        if cmd[0] in "ML":
            d += f"{cmd[0]}{n(x0 + s * cmd[1])} {n(y0 + s * cmd[2])}"
        else:
            _, rx, ry, large, sweep, x, y = cmd
            d += f"A{n(s * rx)} {n(s * ry)} 0 {large} {sweep} {n(x0 + s * x)} {n(y0 + s * y)}"
    return d


def logo():
    """The eye followed by "winkwell": "wink" in the accent green, "well" in dark grey."""
    s = 1.8                       # everything is the 24-grid design at this scale
    base = 33.0                   # baseline; x-height top is base - 10 s
    top = base - 10 * s
    eye_cx, eye_w = 4 + 10 * s, 20 * s
    body = [icon_eye(eye_cx, top + 5 * s, eye_w, 13 * s, 3.7 * s, GREEN, s)]
    x = eye_cx + eye_w / 2 + 5 * s
    parts = {GREEN: [], DARK: []}
    dots = []
    for i, ch in enumerate("winkwell"):
        color = GREEN if i < 4 else DARK
        parts[color].append(path(glyph_d(ch, x, top, s)))
        if ch in DOTS:
            dots.append(circle((x + s * DOTS[ch][0], top + s * DOTS[ch][1]), 1.3 * s, fill=color))
        x += (GLYPHS[ch][0] + 4.5) * s
    width = x - 4.5 * s + 5
    for color in (GREEN, DARK):
        body.append(strokes(color, "\n".join(parts[color]), LINE * s))
    body += dots
    return svg(width, 42, "\n".join(body))


def write_icons(out):
    icons = {
        "icon16.svg": app_eye(GREEN),
        "grayIcon16.svg": app_eye(GREY),
        "iconOrange16.svg": app_eye(ORANGE),
        # tray menu: drawn in the accent colour, they sit on the system's light menu
        "pause.svg": line_icon(GREEN, PAUSE),
        "play.svg": line_icon(GREEN, PLAY),
        "webcamOn.svg": line_icon(GREEN, WEBCAM),
        "webcamOff.svg": line_icon(GREEN, WEBCAM_OFF),
        "exit.svg": line_icon(GREEN, POWER),
        "off.svg": toggle(False),
        "on.svg": toggle(True),
        "slider.svg": slider_handle(),
        "checkmark.svg": checkmark(),
        "cup.svg": cup(),
        "logo.svg": logo(),
    }
    # title-bar buttons: white on the green bar, dark grey under the mouse
    for name, body in (("settings", SETTINGS), ("back", BACK), ("webcam", WEBCAM), ("bar1", BARS),
                       ("max", MAXIMISE), ("normal", NORMAL), ("close", CLOSE)):
        icons[f"{name}.svg"] = line_icon(WHITE, body)
        icons[f"{name}-dark.svg"] = line_icon(DARK, body)
    icons["info.svg"] = info_icon(WHITE)
    icons["info-dark.svg"] = info_icon(DARK)
    for name, text in sorted(icons.items()):
        with open(os.path.join(out, name), "w", encoding="ascii", newline="\n") as f:
            f.write(text)


# ---------------------------------------------------------------------------------------------
# Animations: white lines on black.

class Gif:
    def __init__(self, work, name, width, height):
        self.work, self.name, self.width, self.height = work, name, width, height
        self.frames = []

    def add(self, body, delay):
        """A frame shown for delay hundredths of a second."""
        fname = os.path.join(self.work, f"{self.name}-{len(self.frames):03d}.svg")
        bg = f'<rect width="{self.width}" height="{self.height}" fill="{BLACK}"/>'
        with open(fname, "w", encoding="ascii", newline="\n") as f:
            f.write(svg(self.width, self.height, bg + "\n" + body))
        self.frames.append((delay, fname))

    def close(self):
        with open(os.path.join(self.work, f"{self.name}.frames"), "w") as f:
            for delay, fname in self.frames:
                f.write(f"{delay} {fname}\n")
        with open(os.path.join(self.work, "gifs"), "a") as f:
            f.write(f"{self.name} {self.width} {self.height}\n")


# Lid positions of one blink, closing fast and opening a little slower, as real lids do.
BLINK_CLOSE = (0.35, 0.75, 1.0)
BLINK_OPEN = (0.7, 0.4, 0.15)


def blink_notify(work):
    """The blink reminder: a big eye, open most of the time, with one quick blink per loop."""
    g = Gif(work, "blinkNotify", 169, 100)

    def eye(c):
        return frame_eye(84.5, 50, 134, 64, c, line=3.5)
    g.add(eye(0), 70)
    for c in BLINK_CLOSE:
        g.add(eye(c), 4)
    g.add(eye(1.0), 6)
    for c in BLINK_OPEN:
        g.add(eye(c), 4)
    g.add(eye(0), 160)
    g.close()


EX_LINE = 2.5  # line weight of the exercise animations (they share a 100 x 100 frame)


def looking_out(work):
    """Far hills seen through a window while a cloud drifts by; the eye below looks up at them."""
    g = Gif(work, "LookingIntoWindow", 100, 100)
    x0, y0, x1, y1 = 16, 6, 84, 60          # the pane
    pane = (f'<defs><clipPath id="pane"><rect x="{x0}" y="{y0}" width="{x1 - x0}" '
            f'height="{y1 - y0}"/></clipPath></defs>')
    # Hills are filled black so that the farther shapes (the sun, the far ridge) pass behind them.
    hill = dict(fill=BLACK, stroke=WHITE, stroke_width=EX_LINE, stroke_linejoin="round")
    sun = circle((63, 37), 6, fill="none", stroke=WHITE, stroke_width=EX_LINE)
    far = path(f"M{x0 - 2} 41C27 33 36 33 46 38S64 44 {x1 + 2} 36V{y1 + 2}H{x0 - 2}Z", **hill)
    near = path(f"M{x0 - 2} 53C30 45 44 46 58 52S76 55 {x1 + 2} 50V{y1 + 2}H{x0 - 2}Z", **hill)
    mullion = path(f"M50 {y0}V{y1}", stroke=BLACK, stroke_width=n(EX_LINE + 3))
    frame = strokes(WHITE, "\n".join([
        f'<rect x="{x0}" y="{y0}" width="{x1 - x0}" height="{y1 - y0}" rx="3"/>',
        path(f"M50 {y0}V{y1}"),
        path(f"M{x0 - 6} {y1 + 1}H{x1 + 6}"),
    ]), EX_LINE)

    def scene(cloud_x, closed):
        cloud = strokes(WHITE, path(f"M{n(cloud_x - 11)} 23h22a4.5 4.5 0 0 0-4.5-4.5 5.5 5.5 0 0 0-10-2"
                                    f"a4.5 4.5 0 0 0-7.5 6.5z"), EX_LINE)
        eye = frame_eye(50, 82, 46, 22, closed, gaze=(2, -3.5), r=6.5, line=EX_LINE)
        return "\n".join([pane, '<g clip-path="url(#pane)">', cloud, sun, far, near, mullion, "</g>", frame, eye])

    # The cloud crosses the pane in 40 steps and is out of sight at both ends, so the loop is seamless.
    steps = 40
    for i in range(steps):
        cloud_x = x0 - 14 + (x1 - x0 + 28) * i / steps
        g.add(scene(cloud_x, 0.0), 8)
        if i == 24:   # one calm blink while the cloud is on the right-hand side, as fast as the reminder's
            for c in BLINK_CLOSE + (1.0,) + BLINK_OPEN:
                g.add(scene(cloud_x, c), 4)
    g.close()


def squeeze(work):
    """Lids squeezed shut, the skin creasing at the corners, then opened again."""
    g = Gif(work, "squeeze", 100, 100)
    cx, cy, w, h = 50, 50, 64, 34     # narrower than the others to leave room for the creases

    def eye(c):
        return frame_eye(cx, cy, w, h, c, line=EX_LINE)

    def squeezed(t):
        """The shut eye with creases that grow with t (0..1): a fold above, rays from the corners."""
        up, _ = lids(cx, cy - 11, w * 0.6, 10 * t)
        lines = [path(bez_d(up))]
        for side in (-1, 1):
            for ang in (-35, 0, 35):
                a = math.radians(ang)
                dx, dy = side * math.cos(a), math.sin(a)
                r0, r1 = 5, 7 + 6 * t
                ox, oy = cx + side * w / 2, cy + 1
                lines.append(path(f"M{n(ox + r0 * dx)} {n(oy + r0 * dy)}L{n(ox + r1 * dx)} {n(oy + r1 * dy)}"))
        return eye(1.0) + "\n" + strokes(WHITE, "\n".join(lines), EX_LINE)

    g.add(eye(0), 60)
    for c in BLINK_CLOSE:
        g.add(eye(c), 5)
    for t in (0.3, 0.65, 1.0):
        g.add(squeezed(t), 5)
    g.add(squeezed(1.0), 80)
    g.add(squeezed(0.4), 5)
    for c in BLINK_OPEN:
        g.add(eye(c), 5)
    g.add(eye(0), 20)
    g.close()


def arrow_head(tip, direction, size=4.5):
    """Two strokes forming an open arrow head at tip, pointing along direction (radians)."""
    d = ""
    for side in (-1, 1):
        a = direction + math.pi + side * math.radians(40)
        d += f"M{n(tip[0] + size * math.cos(a))} {n(tip[1] + size * math.sin(a))}L{pt(tip)}"
    return path(d)


def left_right(work):
    """The iris swings from corner to corner, resting briefly at each end."""
    g = Gif(work, "leftRight", 100, 100)
    cx, cy, w, h = 50, 44, 84, 44
    steps = 24
    cue = strokes(GREY, path("M33 84H67") + arrow_head((33, 84), math.pi, 5) + arrow_head((67, 84), 0, 5), EX_LINE)
    for i in range(steps):
        s = math.sin(2 * math.pi * i / steps)
        x = 23 * max(-1.0, min(1.0, 1.25 * s))
        g.add(frame_eye(cx, cy, w, h, 0, gaze=(x, 0), r=11, line=EX_LINE) + "\n" + cue, 8)
    g.close()


def rotate(work):
    """The iris travels round the eye."""
    g = Gif(work, "rotate", 100, 100)
    cx, cy, w, h = 50, 44, 84, 44
    steps = 30
    # a circular arrow under the eye, turning the same way as the iris (clockwise on screen)
    rr, cc = 8.5, (50, 84)
    a0, a1 = math.radians(-45), math.radians(255)
    p0 = (cc[0] + rr * math.cos(a0), cc[1] + rr * math.sin(a0))
    p1 = (cc[0] + rr * math.cos(a1), cc[1] + rr * math.sin(a1))
    ring = path(f"M{pt(p0)}A{rr} {rr} 0 1 1 {pt(p1)}")
    cue = strokes(GREY, ring + arrow_head(p1, a1 + math.pi / 2 - 0.25, 5), EX_LINE)
    for i in range(steps):
        a = 2 * math.pi * i / steps
        gaze = (20 * math.cos(a), 8 * math.sin(a))
        g.add(frame_eye(cx, cy, w, h, 0, gaze=gaze, r=11, line=EX_LINE) + "\n" + cue, 8)
    g.close()


def main():
    icon_dir, work = sys.argv[1], sys.argv[2]
    os.makedirs(icon_dir, exist_ok=True)
    os.makedirs(work, exist_ok=True)
    open(os.path.join(work, "gifs"), "w").close()
    write_icons(icon_dir)
    blink_notify(work)
    looking_out(work)
    squeeze(work)
    left_right(work)
    rotate(work)


if __name__ == "__main__":
    main()
