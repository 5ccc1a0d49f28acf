"""Checks both checked-in image sets against the editor's image table.

usage: editor_images_test.py IMG_DIR   (IMG_DIR holds the full-size set, IMG_DIR/vst2 the half set)

The table is written out here on its own rather than imported from the generator, so a wrong
size in the generator's table fails too.
"""
import os
import struct
import sys

from PIL import Image

# name: (width, height, frames) in the full-size set.
TABLE = {
    "ka_background_0003": (2000, 2000, 1),
    "ka_panel_header_0002": (1000, 60, 1),
    "ka_button_preset_backward_0001": (40, 50, 1),
    "ka_button_preset_forward_0001": (40, 50, 1),
    "ka_button_preset_load_0001": (80, 50, 1),
    "ka_button_preset_save_0001": (80, 50, 1),
    "ka_knob_0027": (120, 3480, 29),
    "ka_knob_0028": (160, 4640, 29),
    "ka_knob_0029": (160, 4640, 29),
    "ka_knob_0030": (160, 4640, 29),
    "ka_knob_0031": (160, 4640, 29),
    "ka_knob_0032": (160, 4640, 29),
    "ka_knob_0033": (100, 2320, 29),
    "ka_knob_0034": (100, 2320, 29),
    "ka_knob_0035": (340, 4640, 29),
    "ka_panel_mask_0001_green": (1000, 1000, 1),
    "ka_panel_sylvane_0001": (900, 720, 1),
}
EDITOR = (1000, 960)

failures = []


def fail(message):
    failures.append(message)
    print("FAIL:", message)


def check_set(directory, scale):
    for name, (w, h, frames) in TABLE.items():
        path = os.path.join(directory, name + ".png")
        if not os.path.isfile(path):
            fail(f"{path}: missing")
            continue
        with open(path, "rb") as f:
            head = f.read(33)
        # Signature, then IHDR: width, height, bit depth, colour type (6 = RGBA).
        if head[:8] != b"\x89PNG\r\n\x1a\n" or head[12:16] != b"IHDR":
            fail(f"{path}: not a PNG")
            continue
        pw, ph, depth, colour = struct.unpack(">IIBB", head[16:26])
        want = (w * scale // 2, h * scale // 2)
        if (pw, ph) != want:
            fail(f"{path}: {pw} x {ph}, expected {want[0]} x {want[1]}")
        if (depth, colour) != (8, 6):
            fail(f"{path}: bit depth {depth}, colour type {colour}; expected 8-bit RGBA")
        if (pw, ph) != want or frames == 1:
            continue
        # A knob must show its value: every step of the strip changes the picture.
        image = Image.open(path).convert("RGBA")
        fh = ph // frames
        strip = [image.crop((0, i * fh, pw, (i + 1) * fh)).tobytes() for i in range(frames)]
        same = [i + 1 for i in range(frames - 1) if strip[i] == strip[i + 1]]
        if same:
            fail(f"{path}: frames {same} repeat the frame above them")

    ew, eh = EDITOR[0] * scale // 2, EDITOR[1] * scale // 2
    background = Image.open(os.path.join(directory, "ka_background_0003.png")).convert("RGBA")
    if background.getchannel("A").crop((0, 0, ew, eh)).getextrema() != (255, 255):
        fail(f"{directory}: background not opaque over the editor")
    # The mask lies over the whole editor: it must leave the middle of it visible.
    mask = Image.open(os.path.join(directory, "ka_panel_mask_0001_green.png")).convert("RGBA")
    middle = mask.getchannel("A").crop((ew // 4, eh // 4, 3 * ew // 4, 3 * eh // 4))
    if middle.getextrema()[1] > 96:
        fail(f"{directory}: mask covers the middle of the editor (alpha up to {middle.getextrema()[1]})")


def main(argv):
    if len(argv) != 2:
        print(__doc__.strip(), file=sys.stderr)
        return 2
    check_set(argv[1], 2)
    check_set(os.path.join(argv[1], "vst2"), 1)
    print(f"editor images: {len(failures)} failed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
