"""The editor's image table and knob placement, in full-size (VST 3) pixels.

The generator draws from these numbers and the preview composes with them, so both stay in
step with the editor the instrument builds. The VST 2 set is exactly half of every value.
"""

EDITOR_W, EDITOR_H = 1000, 960

# name -> (width, height, frames); frames are stacked vertically, 29 per knob strip.
IMAGES = {
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

KNOB_FRAMES = 29

# Where the decorative panel sits in the editor; its labels are placed from the knob rectangles.
PANEL_ORIGIN = (50, 160)

# (label, editor rectangle left, top, right, bottom, strip) in the order the editor lists the knobs.
KNOBS = [
    ("Fade", (288, 720, 388, 800), "ka_knob_0033"),
    ("Foliage", (550, 446, 890, 606), "ka_knob_0035"),
    ("Volume", (612, 720, 712, 800), "ka_knob_0034"),
    ("Wind", (110, 446, 270, 606), "ka_knob_0031"),
    ("Foliage Random", (750, 702, 870, 822), "ka_knob_0027"),
    ("Wind Random", (130, 702, 250, 822), "ka_knob_0027"),
    ("Soundfield", (420, 682, 580, 842), "ka_knob_0032"),
    ("Energy", (420, 210, 580, 370), "ka_knob_0029"),
    ("Dispersion", (110, 210, 270, 370), "ka_knob_0028"),
    ("Speed", (730, 210, 890, 370), "ka_knob_0030"),
]

# Preset bar: (image or None, editor rectangle); None is the name area the editor fills itself.
PRESET_BAR = [
    ("ka_button_preset_load_0001", (0, 80, 80, 130)),
    ("ka_button_preset_backward_0001", (80, 80, 120, 130)),
    (None, (120, 80, 880, 130)),
    ("ka_button_preset_forward_0001", (880, 80, 920, 130)),
    ("ka_button_preset_save_0001", (920, 80, 1000, 130)),
]
NAME_PANEL_RGBA = (0, 0, 0, 140)
NAME_TEXT_RECT = (120, 86, 880, 130)
