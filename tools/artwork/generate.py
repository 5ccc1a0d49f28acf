#!/usr/bin/python3
"""Draws the editor's 17 images with cairo and writes both sets as 8-bit RGBA PNGs.

    tools/artwork/generate.py [OUT_DIR [NAME...]]   (default: resources/img of this repository;
                                                     NAMEs limit the run to those images)

Full size goes to OUT_DIR/<name>.png (VST 3 module), half size to OUT_DIR/vst2/<name>.png
(VST 2 module). Every image is vector drawing in full-size coordinates rendered through a
cairo scale, so the half set is drawn natively rather than resampled. Random textures use
fixed seeds and text is drawn unhinted, so a re-run reproduces the same files.

Runs on Debian's own interpreter (python3-cairo and python3-pil live there), hence the
shebang; fonts come from fonts-dejavu-core and fonts-dejavu-extra.
"""

import math
import os
import random
import struct
import subprocess
import sys
import zlib

import cairo
from PIL import Image

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import layout  # noqa: E402

# Palette: dark forest greens, pale sage ink, muted accents per knob family.
INK = (0.80, 0.86, 0.82)
INK_DIM = (0.62, 0.70, 0.65)
WIND = (0.55, 0.74, 0.82)
WIND_TEAL = (0.50, 0.76, 0.80)
WIND_STEEL = (0.58, 0.75, 0.86)
FOLIAGE = (0.56, 0.78, 0.44)
ENERGY = (0.86, 0.70, 0.42)
FIELD = (0.50, 0.78, 0.72)
SILVER = (0.76, 0.82, 0.78)
PALE = (0.86, 0.84, 0.76)
LICHEN = (0.72, 0.78, 0.58)

SANS_CONDENSED = "DejaVu Sans Condensed"
SANS_LIGHT = "DejaVu Sans Light"
SERIF = "DejaVu Serif"


# ---------------------------------------------------------------- helpers

def set_font(ctx, family, size, bold=False, italic=False):
    ctx.select_font_face(family,
                         cairo.FONT_SLANT_ITALIC if italic else cairo.FONT_SLANT_NORMAL,
                         cairo.FONT_WEIGHT_BOLD if bold else cairo.FONT_WEIGHT_NORMAL)
    ctx.set_font_size(size)
    # Unhinted outlines: the two scales then differ only by the scale, and output is reproducible.
    opts = cairo.FontOptions()
    opts.set_antialias(cairo.ANTIALIAS_GRAY)
    opts.set_hint_style(cairo.HINT_STYLE_NONE)
    opts.set_hint_metrics(cairo.HINT_METRICS_OFF)
    ctx.set_font_options(opts)


def tracked_width(ctx, text, tracking):
    return sum(ctx.text_extents(ch).x_advance for ch in text) + tracking * (len(text) - 1)


def tracked_text(ctx, text, x, baseline, tracking=0.0, align=0.5):
    """Draws text with extra letter spacing; align 0 = left edge at x, 0.5 = centred, 1 = right."""
    x -= tracked_width(ctx, text, tracking) * align
    for ch in text:
        ctx.move_to(x, baseline)
        ctx.show_text(ch)
        x += ctx.text_extents(ch).x_advance + tracking


def rounded_rect(ctx, x0, y0, x1, y1, r):
    ctx.new_sub_path()
    ctx.arc(x1 - r, y0 + r, r, -math.pi / 2, 0)
    ctx.arc(x1 - r, y1 - r, r, 0, math.pi / 2)
    ctx.arc(x0 + r, y1 - r, r, math.pi / 2, math.pi)
    ctx.arc(x0 + r, y0 + r, r, math.pi, 1.5 * math.pi)
    ctx.close_path()


def soft_disc(ctx, x, y, r, rgb, alpha):
    """A round blob fading smoothly to nothing at radius r (roughly Gaussian)."""
    g = cairo.RadialGradient(x, y, 0, x, y, r)
    for t in (0.0, 0.25, 0.5, 0.75, 1.0):
        g.add_color_stop_rgba(t, *rgb, alpha * math.exp(-4.0 * t * t) * (1.0 - t))
    ctx.set_source(g)
    ctx.arc(x, y, r, 0, 2 * math.pi)
    ctx.fill()


def leaf_path(ctx, x, y, length, width, angle):
    """A pointed leaf whose stalk is at (x, y), pointing along angle (radians, 0 = up)."""
    ctx.save()
    ctx.translate(x, y)
    ctx.rotate(angle)
    w = width / 2
    ctx.move_to(0, 0)
    ctx.curve_to(w * 1.2, -length * 0.25, w * 0.9, -length * 0.75, 0, -length)
    ctx.curve_to(-w * 0.9, -length * 0.75, -w * 1.2, -length * 0.25, 0, 0)
    ctx.close_path()
    ctx.restore()


def soft_leaf(ctx, x, y, length, angle, rgb, alpha, layers=8, spread=0.4):
    """An out-of-focus leaf centred on (x, y): nested copies growing outwards, each a faint
    layer, so the edge fades over about spread x length with no visible step."""
    for k in range(layers):
        grow = 1.0 + spread * k / (layers - 1)
        ctx.save()
        ctx.translate(x, y)
        ctx.rotate(angle)
        ctx.scale(grow, grow)
        leaf_path(ctx, 0, length / 2, length, length * 0.45, 0)
        ctx.restore()
        ctx.set_source_rgba(*rgb, alpha / layers)
        ctx.fill()


def knob_angle(v):
    """Pointer angle for value v in cairo's convention: 0 at 7:30, 1 at 4:30, clockwise."""
    return math.radians(-135.0 + 270.0 * v - 90.0)


# ---------------------------------------------------------------- background, mask, header

def draw_background(ctx, w, h):
    rng = random.Random(1103)
    g = cairo.LinearGradient(0, 0, 300, 1000)
    g.add_color_stop_rgb(0.0, 0.105, 0.135, 0.120)
    g.add_color_stop_rgb(1.0, 0.060, 0.078, 0.068)
    ctx.set_source(g)
    ctx.paint()
    # Low-frequency mottling: large soft blobs, lighter and darker, like light through leaves.
    for _ in range(140):
        x, y = rng.uniform(-200, w + 200), rng.uniform(-200, h + 200)
        r = rng.uniform(140, 520)
        if rng.random() < 0.55:
            soft_disc(ctx, x, y, r, (0.30, 0.42, 0.34), rng.uniform(0.03, 0.07))
        else:
            soft_disc(ctx, x, y, r, (0.0, 0.01, 0.005), rng.uniform(0.06, 0.14))
    # Out-of-focus leaves: large dark and pale shapes with soft edges, like shade from a canopy.
    for _ in range(int(w * h / 90000)):
        x, y = rng.uniform(-100, w + 100), rng.uniform(-100, h + 100)
        length = rng.uniform(220, 520)
        angle = rng.uniform(0, 2 * math.pi)
        dark = rng.random() < 0.7
        rgb = (0.0, 0.015, 0.008) if dark else (0.45, 0.62, 0.50)
        alpha = rng.uniform(0.22, 0.34) if dark else rng.uniform(0.05, 0.08)
        soft_leaf(ctx, x, y, length, angle, rgb, alpha)
    # Wind: wide, soft, shallow wisps of pale mist, and a few fine fibres riding on them.
    ctx.set_line_cap(cairo.LINE_CAP_ROUND)
    for _ in range(260):
        x, y = rng.uniform(-400, w), rng.uniform(0, h)
        length = rng.uniform(300, 1000)
        slope = math.tan(math.radians(rng.uniform(-10, -3)))
        bow = rng.uniform(-50, 50)
        fibre = rng.random() < 0.3
        alpha = rng.uniform(0.010, 0.022) if fibre else rng.uniform(0.006, 0.014)
        width = rng.uniform(1.2, 2.2) if fibre else rng.uniform(6.0, 22.0)
        ctx.move_to(x, y)
        ctx.curve_to(x + length / 3, y + slope * length / 3 + bow,
                     x + 2 * length / 3, y + 2 * slope * length / 3 + bow,
                     x + length, y + slope * length)
        path = ctx.copy_path()
        ctx.new_path()
        for k, a in ((2.2, 0.35), (1.5, 0.6), (1.0, 1.0)):
            ctx.append_path(path)
            ctx.set_line_width(width * k)
            ctx.set_source_rgba(0.75, 0.88, 0.80, alpha * a)
            ctx.stroke()


def draw_mask(ctx, w, h):
    # Vignette towards the editor's corners (the editor is 1000 x 960; the rest is never seen).
    g = cairo.RadialGradient(500, 470, 0, 500, 470, 780)
    g.add_color_stop_rgba(0.0, 0.0, 0.02, 0.01, 0.0)
    g.add_color_stop_rgba(0.55, 0.0, 0.02, 0.01, 0.0)
    g.add_color_stop_rgba(0.80, 0.0, 0.02, 0.01, 0.22)
    g.add_color_stop_rgba(1.0, 0.0, 0.02, 0.01, 0.50)
    ctx.set_source(g)
    ctx.paint()
    # A green canopy light from above.
    g = cairo.RadialGradient(500, -180, 0, 500, -180, 900)
    g.add_color_stop_rgba(0.0, 0.45, 0.75, 0.45, 0.13)
    g.add_color_stop_rgba(0.55, 0.35, 0.65, 0.40, 0.05)
    g.add_color_stop_rgba(1.0, 0.35, 0.65, 0.40, 0.0)
    ctx.set_source(g)
    ctx.paint()
    # Leaf shadows hanging in from the top corners, kept clear of the controls.
    rng = random.Random(2207)
    for corner_x, direction in ((-10, 1), (w + 10, -1)):
        for _ in range(70):
            d = rng.expovariate(1 / 90.0)
            t = rng.uniform(0, math.pi / 2)
            x = corner_x + direction * d * math.cos(t)
            y = -10 + d * math.sin(t) * 1.6
            if not (x < 70 or x > w - 70) or y > 520:
                continue
            length = rng.uniform(28, 70)
            angle = math.radians(180 + direction * rng.uniform(20, 80))
            alpha = rng.uniform(0.10, 0.24)
            leaf_path(ctx, x, y, length * 1.15, length * 0.55, angle)
            ctx.set_source_rgba(0.0, 0.04, 0.015, alpha * 0.4)
            ctx.fill()
            leaf_path(ctx, x, y, length, length * 0.42, angle)
            ctx.set_source_rgba(0.01, 0.05, 0.02, alpha)
            ctx.fill()


def draw_logo_leaf(ctx, x, y, size, rgb, alpha=1.0):
    leaf_path(ctx, x, y, size, size * 0.5, math.radians(35))
    ctx.set_source_rgba(*rgb, alpha)
    ctx.fill()
    # Midrib.
    ctx.save()
    ctx.translate(x, y)
    ctx.rotate(math.radians(35))
    ctx.move_to(0, 0)
    ctx.line_to(0, -size * 0.8)
    ctx.restore()
    ctx.set_source_rgba(0.05, 0.08, 0.06, 0.7 * alpha)
    ctx.set_line_width(max(1.0, size * 0.05))
    ctx.stroke()


def draw_header(ctx, w, h):
    g = cairo.LinearGradient(0, 0, 0, h)
    g.add_color_stop_rgba(0.0, 0.125, 0.160, 0.142, 0.94)
    g.add_color_stop_rgba(1.0, 0.070, 0.092, 0.080, 0.94)
    ctx.set_source(g)
    ctx.rectangle(0, 0, w, h)
    ctx.fill()
    ctx.set_source_rgba(0.0, 0.0, 0.0, 0.45)
    ctx.rectangle(0, h - 3, w, 1)
    ctx.fill()
    ctx.set_source_rgba(*FOLIAGE, 0.35)
    ctx.rectangle(0, h - 2, w, 2)
    ctx.fill()
    draw_logo_leaf(ctx, 34, 46, 34, FOLIAGE, 0.9)
    set_font(ctx, SANS_LIGHT, 28)
    ctx.set_source_rgba(*INK, 0.95)
    tracked_text(ctx, "SYLVANE", 62, 40, tracking=7, align=0)
    set_font(ctx, SANS_CONDENSED, 14)
    ctx.set_source_rgba(*INK_DIM, 0.8)
    tracked_text(ctx, "WIND  &  FOLIAGE  SYNTHESISER", w - 30, 36, tracking=3.2, align=1)


# ---------------------------------------------------------------- preset bar buttons

def button_face(ctx, w, h):
    x0, y0, x1, y1 = 3, 4, w - 3, h - 4
    rounded_rect(ctx, x0, y0, x1, y1, 7)
    g = cairo.LinearGradient(0, y0, 0, y1)
    g.add_color_stop_rgba(0.0, 0.190, 0.235, 0.210, 0.96)
    g.add_color_stop_rgba(1.0, 0.095, 0.120, 0.106, 0.96)
    ctx.set_source(g)
    ctx.fill_preserve()
    ctx.set_source_rgba(0.0, 0.0, 0.0, 0.55)
    ctx.set_line_width(1.5)
    ctx.stroke()
    rounded_rect(ctx, x0 + 1.5, y0 + 1.5, x1 - 1.5, y1 - 1.5, 5.5)
    g = cairo.LinearGradient(0, y0, 0, y1)
    g.add_color_stop_rgba(0.0, 0.75, 0.90, 0.80, 0.22)
    g.add_color_stop_rgba(0.5, 0.75, 0.90, 0.80, 0.04)
    g.add_color_stop_rgba(1.0, 0.75, 0.90, 0.80, 0.08)
    ctx.set_source(g)
    ctx.set_line_width(1.0)
    ctx.stroke()


def draw_arrow_button(ctx, w, h, direction):
    button_face(ctx, w, h)
    cx, cy = w / 2, h / 2
    s = direction
    ctx.move_to(cx + s * 6, cy - 9)
    ctx.line_to(cx - s * 6, cy)
    ctx.line_to(cx + s * 6, cy + 9)
    ctx.close_path()
    ctx.set_line_join(cairo.LINE_JOIN_ROUND)
    ctx.set_line_width(2.5)
    ctx.set_source_rgba(*INK, 0.95)
    ctx.fill_preserve()
    ctx.stroke()


def folder_icon(ctx, x, y):
    """Open folder, 22 x 16 with its top-left at (x, y)."""
    ctx.set_line_join(cairo.LINE_JOIN_ROUND)
    ctx.set_line_width(2.0)
    ctx.move_to(x, y + 16)
    ctx.line_to(x, y + 1.5)
    ctx.line_to(x + 7, y + 1.5)
    ctx.line_to(x + 9, y + 4.5)
    ctx.line_to(x + 18, y + 4.5)
    ctx.line_to(x + 18, y + 7)
    ctx.set_source_rgba(*INK, 0.95)
    ctx.stroke()
    ctx.move_to(x, y + 16)
    ctx.line_to(x + 4, y + 8)
    ctx.line_to(x + 22, y + 8)
    ctx.line_to(x + 18, y + 16)
    ctx.close_path()
    ctx.fill_preserve()
    ctx.stroke()


def disk_icon(ctx, x, y):
    """Floppy disk, 18 x 18 with its top-left at (x, y)."""
    ctx.set_line_join(cairo.LINE_JOIN_ROUND)
    ctx.set_line_width(2.0)
    ctx.move_to(x, y)
    ctx.line_to(x + 14.5, y)
    ctx.line_to(x + 18, y + 3.5)
    ctx.line_to(x + 18, y + 18)
    ctx.line_to(x, y + 18)
    ctx.close_path()
    ctx.set_source_rgba(*INK, 0.95)
    ctx.stroke()
    ctx.rectangle(x + 4, y + 1, 9, 5)
    ctx.fill()
    ctx.rectangle(x + 3, y + 10, 12, 7)
    ctx.fill()


def draw_file_button(ctx, w, h, word, scale):
    button_face(ctx, w, h)
    icon = folder_icon if word == "LOAD" else disk_icon
    if scale < 1.0:
        # At half size the word would be a few pixels tall: a larger icon alone reads better.
        ctx.save()
        ctx.translate(w / 2 - 15, h / 2 - 14)
        ctx.scale(1.25, 1.25)
        icon(ctx, 0, 1 if word == "LOAD" else 2)
        ctx.restore()
        return
    set_font(ctx, SANS_CONDENSED, 12.5, bold=True)
    icon_w = 22 if word == "LOAD" else 18
    gap, tracking = 6, 0.8
    x = (w - (icon_w + gap + tracked_width(ctx, word, tracking))) / 2
    icon(ctx, x, 16 if word == "LOAD" else 15)
    ctx.set_source_rgba(*INK, 0.95)
    tracked_text(ctx, word, x + icon_w + gap, 29.5, tracking=tracking, align=0)


# ---------------------------------------------------------------- knobs

def knob_body(ctx, cx, cy, rb, v, pointer_rgb, angle=None):
    """The turning cap of a knob: shadow, body, rim light, face and pointer."""
    g = cairo.RadialGradient(cx, cy + rb * 0.18, rb * 0.6, cx, cy + rb * 0.18, rb * 1.28)
    g.add_color_stop_rgba(0.0, 0, 0, 0, 0.65)
    g.add_color_stop_rgba(1.0, 0, 0, 0, 0.0)
    ctx.set_source(g)
    ctx.arc(cx, cy + rb * 0.18, rb * 1.28, 0, 2 * math.pi)
    ctx.fill()

    g = cairo.LinearGradient(cx, cy - rb, cx, cy + rb)
    g.add_color_stop_rgb(0.0, 0.255, 0.295, 0.272)
    g.add_color_stop_rgb(1.0, 0.090, 0.110, 0.098)
    ctx.set_source(g)
    ctx.arc(cx, cy, rb, 0, 2 * math.pi)
    ctx.fill()
    g = cairo.LinearGradient(cx, cy - rb, cx, cy + rb)
    g.add_color_stop_rgba(0.0, 0.85, 0.95, 0.88, 0.45)
    g.add_color_stop_rgba(0.5, 0.85, 0.95, 0.88, 0.05)
    g.add_color_stop_rgba(1.0, 0.85, 0.95, 0.88, 0.12)
    ctx.set_source(g)
    ctx.set_line_width(max(1.0, rb * 0.035))
    ctx.arc(cx, cy, rb - rb * 0.02, 0, 2 * math.pi)
    ctx.stroke()

    rf = rb * 0.80
    g = cairo.RadialGradient(cx - rf * 0.2, cy - rf * 0.35, 0, cx, cy, rf)
    g.add_color_stop_rgb(0.0, 0.200, 0.235, 0.215)
    g.add_color_stop_rgb(1.0, 0.125, 0.150, 0.136)
    ctx.set_source(g)
    ctx.arc(cx, cy, rf, 0, 2 * math.pi)
    ctx.fill()
    ctx.set_source_rgba(0, 0, 0, 0.35)
    ctx.set_line_width(max(0.8, rb * 0.025))
    ctx.arc(cx, cy, rf, 0, 2 * math.pi)
    ctx.stroke()

    a = knob_angle(v) if angle is None else angle
    ca, sa = math.cos(a), math.sin(a)
    ctx.set_line_cap(cairo.LINE_CAP_ROUND)
    ctx.set_line_width(rb * 0.11)
    ctx.set_source_rgba(0, 0, 0, 0.5)
    ctx.move_to(cx + ca * rb * 0.30, cy + sa * rb * 0.30 + rb * 0.04)
    ctx.line_to(cx + ca * rb * 0.86, cy + sa * rb * 0.86 + rb * 0.04)
    ctx.stroke()
    ctx.set_line_width(rb * 0.085)
    ctx.set_source_rgb(*pointer_rgb)
    ctx.move_to(cx + ca * rb * 0.30, cy + sa * rb * 0.30)
    ctx.line_to(cx + ca * rb * 0.86, cy + sa * rb * 0.86)
    ctx.stroke()


def value_ring(ctx, cx, cy, r, width, v, accent):
    a0, a1 = knob_angle(0.0), knob_angle(1.0)
    av = knob_angle(v)
    ctx.set_line_cap(cairo.LINE_CAP_ROUND)
    ctx.set_line_width(width)
    ctx.set_source_rgba(0, 0, 0, 0.45)
    ctx.arc(cx, cy, r, a0, a1)
    ctx.stroke()
    ctx.set_line_width(width * 0.55)
    ctx.set_source_rgba(0.8, 0.9, 0.85, 0.10)
    ctx.arc(cx, cy, r, a0, a1)
    ctx.stroke()
    # The lit arc, with a soft halo; at value 0 only a dot at the start.
    for w_scale, alpha in ((2.6, 0.10), (1.7, 0.18), (1.0, 1.0)):
        ctx.set_line_width(width * w_scale * 0.75)
        ctx.set_source_rgba(*accent, alpha)
        if v <= 0.0:
            ctx.arc(cx, cy, r, a0, a0)
            ctx.close_path()
        else:
            ctx.arc(cx, cy, r, a0, av)
        ctx.stroke()


def scale_ticks(ctx, cx, cy, r, dot):
    """Eleven dots around the sweep, the ends and the middle a little larger."""
    for i in range(11):
        a = knob_angle(i / 10)
        big = i in (0, 5, 10)
        ctx.arc(cx + r * math.cos(a), cy + r * math.sin(a), dot * (1.5 if big else 1.0), 0, 2 * math.pi)
        ctx.set_source_rgba(*INK, 0.45 if big else 0.22)
        ctx.fill()


def draw_round_knob(ctx, fw, fh, v, accent):
    h = min(fw, fh) / 2
    cx, cy = fw / 2, fh / 2
    ring_r = h * 0.84
    scale_ticks(ctx, cx, cy, h * 0.95, max(0.9, h * 0.022))
    value_ring(ctx, cx, cy, ring_r, h * 0.085, v, accent)
    knob_body(ctx, cx, cy, h * 0.60, v, (0.90, 0.94, 0.91))


FOLIAGE_LEAVES = 28


def foliage_fan(cx, cy, a_semi, b_semi, samples=2000):
    """Points spaced evenly along an elliptical arc over the knob's sweep: (x, y, angle) each."""
    pts = []
    for k in range(samples + 1):
        a = knob_angle(k / samples)
        pts.append((cx + a_semi * math.cos(a), cy + b_semi * math.sin(a)))
    cum = [0.0]
    for (x0, y0), (x1, y1) in zip(pts, pts[1:]):
        cum.append(cum[-1] + math.hypot(x1 - x0, y1 - y0))

    def at(fraction):
        target = fraction * cum[-1]
        k = min(range(len(cum)), key=lambda j: abs(cum[j] - target))
        x, y = pts[k]
        return x, y, math.atan2(y - cy, x - cx)
    return at


def draw_foliage_knob(ctx, fw, fh, v):
    """The wide knob: a cap in the middle and a fan of leaves that fill in as the value rises;
    the pointer aims at the growing end of the fan."""
    cx, cy = fw / 2, fh / 2
    fan = foliage_fan(cx, cy, 146.0, 64.0)
    lit = v * FOLIAGE_LEAVES
    for i in range(FOLIAGE_LEAVES):
        t = (i + 0.5) / FOLIAGE_LEAVES
        x, y, a = fan(t)
        size = 0.66 + 0.50 * t
        length, width = 24 * size, 10 * size
        ca, sa = math.cos(a), math.sin(a)
        x, y = x - ca * length * 0.5, y - sa * length * 0.5
        angle = a + math.pi / 2
        amount = max(0.0, min(1.0, lit - i))
        leaf_path(ctx, x, y, length, width, angle)
        ctx.set_source_rgba(0, 0, 0, 0.45)
        ctx.fill_preserve()
        ctx.set_source_rgba(0.8, 0.9, 0.85, 0.10)
        ctx.set_line_width(1.0)
        ctx.stroke()
        if amount > 0:
            leaf_path(ctx, x, y, length, width, angle)
            g = cairo.LinearGradient(x, y, x + ca * length, y + sa * length)
            g.add_color_stop_rgba(0.0, *[c * 0.65 for c in FOLIAGE], amount)
            g.add_color_stop_rgba(1.0, *[min(1.0, c * 1.15) for c in FOLIAGE], amount)
            ctx.set_source(g)
            ctx.fill()
    _, _, pointer = fan(v)
    knob_body(ctx, cx, cy, 48, v, (0.90, 0.94, 0.91), angle=pointer)


def knob_drawer(name):
    accents = {
        "ka_knob_0027": LICHEN, "ka_knob_0028": WIND_TEAL, "ka_knob_0029": ENERGY,
        "ka_knob_0030": WIND, "ka_knob_0031": WIND_STEEL, "ka_knob_0032": FIELD,
        "ka_knob_0033": SILVER, "ka_knob_0034": PALE,
    }
    if name == "ka_knob_0035":
        return draw_foliage_knob
    accent = accents[name]
    return lambda ctx, fw, fh, v: draw_round_knob(ctx, fw, fh, v, accent)


def draw_strip(ctx, w, h, frames, frame_drawer):
    fh = h / frames
    for i in range(frames):
        ctx.save()
        ctx.translate(0, i * fh)
        ctx.rectangle(0, 0, w, fh)
        ctx.clip()
        frame_drawer(ctx, w, fh, i / (frames - 1))
        ctx.restore()


# ---------------------------------------------------------------- decorative panel

def draw_panel(ctx, w, h):
    ox, oy = layout.PANEL_ORIGIN
    rounded_rect(ctx, 1, 1, w - 1, h - 1, 22)
    g = cairo.LinearGradient(0, 0, 0, h)
    g.add_color_stop_rgba(0.0, 0.110, 0.145, 0.126, 0.50)
    g.add_color_stop_rgba(1.0, 0.050, 0.068, 0.058, 0.62)
    ctx.set_source(g)
    ctx.fill_preserve()
    g = cairo.LinearGradient(0, 0, 0, h)
    g.add_color_stop_rgba(0.0, 0.75, 0.90, 0.80, 0.20)
    g.add_color_stop_rgba(1.0, 0.75, 0.90, 0.80, 0.05)
    ctx.set_source(g)
    ctx.set_line_width(1.5)
    ctx.stroke()

    for label, (l, t, r, b), _ in layout.KNOBS:
        l, t, r, b = l - ox, t - oy, r - ox, b - oy
        cx, cy = (l + r) / 2, (t + b) / 2
        # A soft well under each knob.
        ctx.save()
        ctx.translate(cx, cy)
        ctx.scale((r - l) / min(r - l, b - t), 1.0)
        soft_disc(ctx, 0, 0, min(r - l, b - t) * 0.62, (0, 0, 0), 0.45)
        ctx.restore()
        set_font(ctx, SANS_CONDENSED, 17, bold=True)
        ctx.set_source_rgba(*INK_DIM, 0.85)
        tracked_text(ctx, label.upper(), cx, b + 24, tracking=1.8)

    # Product name in the free space between the wind and foliage level controls.
    cx, cy = 360, 372
    draw_logo_leaf(ctx, cx - 2, cy - 52, 40, FOLIAGE, 0.85)
    set_font(ctx, SERIF, 58, italic=True)
    ctx.set_source_rgba(*INK, 0.92)
    tracked_text(ctx, "Sylvane", cx, cy + 14, tracking=1.5)
    set_font(ctx, SANS_CONDENSED, 14)
    ctx.set_source_rgba(*INK_DIM, 0.70)
    tracked_text(ctx, "WIND  &  FOLIAGE", cx, cy + 44, tracking=3.5)


# ---------------------------------------------------------------- output

def image_drawer(name, scale):
    if name.startswith("ka_knob_"):
        frame_drawer = knob_drawer(name)
        return lambda ctx, w, h: draw_strip(ctx, w, h, layout.KNOB_FRAMES, frame_drawer)
    return {
        "ka_background_0003": draw_background,
        "ka_panel_header_0002": draw_header,
        "ka_button_preset_backward_0001": lambda c, w, h: draw_arrow_button(c, w, h, 1),
        "ka_button_preset_forward_0001": lambda c, w, h: draw_arrow_button(c, w, h, -1),
        "ka_button_preset_load_0001": lambda c, w, h: draw_file_button(c, w, h, "LOAD", scale),
        "ka_button_preset_save_0001": lambda c, w, h: draw_file_button(c, w, h, "SAVE", scale),
        "ka_panel_mask_0001_green": draw_mask,
        "ka_panel_sylvane_0001": draw_panel,
    }[name]


def render(name, scale):
    """Returns the image as a PIL RGBA image at the given scale (1 = VST 3, 0.5 = VST 2)."""
    w, h, _ = layout.IMAGES[name]
    surface = cairo.ImageSurface(cairo.FORMAT_ARGB32, round(w * scale), round(h * scale))
    ctx = cairo.Context(surface)
    ctx.scale(scale, scale)
    image_drawer(name, scale)(ctx, w, h)
    surface.flush()
    # cairo holds premultiplied native-endian ARGB; PNGs want straight RGBA.
    return Image.frombuffer("RGBA", (surface.get_width(), surface.get_height()),
                            bytes(surface.get_data()), "raw", "BGRa", surface.get_stride(), 1)


def png_chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))


def write_png(image, path):
    """Writes 8-bit RGBA with no row filter (filter byte 0 on every row).

    Unfiltered rows decode markedly faster than the Paeth rows an encoder picks for the soft
    gradients, and the sets come out smaller overall. (cairo's own writer would also drop alpha
    from opaque images; the editor's images are always RGBA.)"""
    w, h = image.size
    stride = 4 * w
    pixels = image.tobytes()
    raw = b"".join(b"\0" + pixels[y * stride:(y + 1) * stride] for y in range(h))
    deflate = zlib.compressobj(9, zlib.DEFLATED, 15, 9, zlib.Z_DEFAULT_STRATEGY)
    data = deflate.compress(raw) + deflate.flush()
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n")
        f.write(png_chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, 8, 6, 0, 0, 0)))
        f.write(png_chunk(b"IDAT", data))
        f.write(png_chunk(b"IEND", b""))


def missing_fonts():
    """Cairo quietly substitutes a font it cannot find, which would change the artwork."""
    listed = subprocess.run(["fc-list", ":", "family"], capture_output=True, text=True).stdout
    families = {f.strip() for line in listed.splitlines() for f in line.split(",")}
    return [f for f in (SANS_CONDENSED, SANS_LIGHT, SERIF) if f not in families]


def main(argv):
    missing = missing_fonts()
    if missing:
        print("generate.py: fonts not installed: " + ", ".join(missing) +
              " (scripts/setup.sh installs them)", file=sys.stderr)
        return 1
    out = argv[1] if len(argv) > 1 else os.path.join(
        os.path.dirname(os.path.abspath(__file__)), "..", "..", "resources", "img")
    os.makedirs(os.path.join(out, "vst2"), exist_ok=True)
    only = set(argv[2:])
    for name in layout.IMAGES:
        if only and name not in only:
            continue
        write_png(render(name, 1.0), os.path.join(out, name + ".png"))
        write_png(render(name, 0.5), os.path.join(out, "vst2", name + ".png"))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
