#!/usr/bin/python3
"""Composes the editor from the generated images, as the editor stacks them, for looking at.

    tools/artwork/preview.py OUT_DIR [IMG_DIR]

Writes OUT_DIR/preview-vst3-<n>.png and OUT_DIR/preview-vst2-<n>.png for a few sets of knob
values (all images placed 1:1 from IMG_DIR, default resources/img), plus the preset bar's name
text the editor draws, and knobs-vst3.png / knobs-vst2.png with every knob strip at several
frames. Cairo's "over" stands in for the editor's own blend arithmetic.
"""

import os
import sys

import cairo

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import layout  # noqa: E402

VALUE_SETS = [
    [0.0] * len(layout.KNOBS),
    [0.5] * len(layout.KNOBS),
    [1.0] * len(layout.KNOBS),
    [0.15, 0.62, 0.8, 0.35, 0.25, 0.9, 0.5, 0.7, 0.05, 0.45],
]


def compose(img_dir, scale, values):
    def load(name):
        return cairo.ImageSurface.create_from_png(os.path.join(img_dir, name + ".png"))

    def px(v):
        return int(v * scale)

    surface = cairo.ImageSurface(cairo.FORMAT_ARGB32, px(layout.EDITOR_W), px(layout.EDITOR_H))
    ctx = cairo.Context(surface)

    def place(image, x, y, src_y=0, h=None):
        ctx.save()
        ctx.rectangle(x, y, image.get_width(), h if h is not None else image.get_height())
        ctx.clip()
        ctx.set_source_surface(image, x, y - src_y)
        ctx.paint()
        ctx.restore()

    place(load("ka_background_0003"), 0, 0)
    place(load("ka_panel_mask_0001_green"), 0, 0)
    place(load("ka_panel_header_0002"), 0, 0)
    place(load("ka_panel_sylvane_0001"), px(layout.PANEL_ORIGIN[0]), px(layout.PANEL_ORIGIN[1]))
    for (_, (l, t, r, b), strip), v in zip(layout.KNOBS, values):
        image = load(strip)
        fh = image.get_height() // layout.KNOB_FRAMES
        frame = int((layout.KNOB_FRAMES - 1) * v + 0.5)
        place(image, px(l), px(t), src_y=frame * fh, h=fh)
    for name, (l, t, r, b) in layout.PRESET_BAR:
        if name is None:
            cr, cg, cb, ca = layout.NAME_PANEL_RGBA
            ctx.set_source_rgba(cr / 255, cg / 255, cb / 255, ca / 255)
            ctx.rectangle(px(l), px(t), px(r - l), px(b - t))
            ctx.fill()
            ctx.select_font_face("Liberation Sans", cairo.FONT_SLANT_NORMAL, cairo.FONT_WEIGHT_BOLD)
            ctx.set_font_size(px(40) * 0.75)  # the editor's size is the font's cell height
            text = "< Presets Library >"
            tl, tt, tr, tb = (px(c) for c in layout.NAME_TEXT_RECT)
            ext = ctx.text_extents(text)
            ctx.move_to((tl + tr) / 2 - ext.x_advance / 2, tt + (tb - tt) * 0.68)
            ctx.set_source_rgb(200 / 255, 200 / 255, 200 / 255)
            ctx.show_text(text)
        else:
            place(load(name), px(l), px(t))
    return surface


def knob_sheet(img_dir, scale, frames=(0, 4, 7, 11, 14, 18, 21, 25, 28)):
    """Every knob strip at several frames side by side, over the background colour."""
    strips = sorted({strip for _, _, strip in layout.KNOBS})
    images = [cairo.ImageSurface.create_from_png(os.path.join(img_dir, s + ".png")) for s in strips]
    cell_h = [im.get_height() // layout.KNOB_FRAMES for im in images]
    width = max(im.get_width() for im in images) * len(frames)
    surface = cairo.ImageSurface(cairo.FORMAT_ARGB32, width, sum(cell_h))
    ctx = cairo.Context(surface)
    ctx.set_source_surface(cairo.ImageSurface.create_from_png(
        os.path.join(img_dir, "ka_background_0003.png")), 0, 0)
    ctx.paint()
    y = 0
    for im, fh in zip(images, cell_h):
        for col, f in enumerate(frames):
            x = col * im.get_width()
            ctx.save()
            ctx.rectangle(x, y, im.get_width(), fh)
            ctx.clip()
            ctx.set_source_surface(im, x, y - f * fh)
            ctx.paint()
            ctx.restore()
        y += fh
    return surface


def main(argv):
    if len(argv) < 2:
        print(__doc__.strip(), file=sys.stderr)
        return 2
    out = argv[1]
    img_dir = argv[2] if len(argv) > 2 else os.path.join(
        os.path.dirname(os.path.abspath(__file__)), "..", "..", "resources", "img")
    os.makedirs(out, exist_ok=True)
    for n, values in enumerate(VALUE_SETS):
        compose(img_dir, 1.0, values).write_to_png(os.path.join(out, f"preview-vst3-{n}.png"))
        compose(os.path.join(img_dir, "vst2"), 0.5, values).write_to_png(
            os.path.join(out, f"preview-vst2-{n}.png"))
    knob_sheet(img_dir, 1.0).write_to_png(os.path.join(out, "knobs-vst3.png"))
    knob_sheet(os.path.join(img_dir, "vst2"), 0.5).write_to_png(os.path.join(out, "knobs-vst2.png"))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
