#!/usr/bin/env python3
"""Draws the launcher's skin: every PNG image, the icons and the web login
bitmap, with ImageMagick and the Noto CJK fonts.

The output is reproducible: the same tools give the same pictures, and PNG
time stamps are left out. Run it from the source tree:

    python3 tools/make_skin.py            # writes res/skin, res/icons
    python3 tools/make_skin.py --out DIR  # writes DIR/skin, DIR/icons
"""
import argparse
import math
import os
import subprocess
import sys

# The launcher's palette: dark umber surfaces with gold text and trim.
GOLD = "#DAC29D"
GOLD_LIGHT = "#FFF3CD"
GOLD_DEEP = "#A8874F"
GOLD_EDGE = "#CBAE5B"
DARK = "#1E1711"
DARK_TOP = "#3A2C1E"
DARK_MID = "#2A2017"
DARK_LOW = "#140F0B"

CJK = "Noto-Sans-CJK-SC"
CJK_BOLD = "Noto-Sans-CJK-SC-Bold"
SERIF_BOLD = "DejaVu-Serif-Bold"

# Strip variable metadata so that a rerun writes identical files.
PNG_OUT = ["-define", "png:exclude-chunks=date,time,tIME", "+set", "date:create", "+set", "date:modify",
           "-strip", "-depth", "8", "-define", "png:color-type=6"]


def run(args):
    subprocess.run(["convert"] + args, check=True)


def png(out, args):
    run(args + PNG_OUT + ["PNG32:" + out])


def canvas(w, h, fill="none"):
    return ["-size", "%dx%d" % (w, h), "xc:" + fill]


def gradient(w, h, top, bottom):
    return ["-size", "%dx%d" % (w, h), "gradient:%s-%s" % (top, bottom)]


def caption_strip(w):
    """The caption's body: a vertical umber gradient with a gold seam below."""
    return gradient(w, 30, DARK_TOP, DARK_LOW) + [
        "-fill", GOLD_DEEP, "-draw", "rectangle 0,28 %d,28" % (w - 1),
        "-fill", "#5A4328", "-draw", "rectangle 0,29 %d,29" % (w - 1),
        "-fill", "#4B3A26", "-draw", "rectangle 0,0 %d,0" % (w - 1)]


def draw_caption(d):
    png(os.path.join(d, "172.png"), caption_strip(1))
    # Left part: emblem and the game's name.
    png(os.path.join(d, "203.png"), caption_strip(203) + [
        "-fill", GOLD_DEEP, "-stroke", GOLD, "-strokewidth", "1",
        "-draw", "polygon 14,5 23,14 14,23 5,14",
        "-fill", DARK_LOW, "-stroke", "none", "-draw", "polygon 14,9 19,14 14,19 9,14",
        "-fill", GOLD_LIGHT, "-draw", "point 14,14",
        "-font", SERIF_BOLD, "-pointsize", "15", "-fill", GOLD, "-stroke", "none",
        "-draw", "text 30,20 'Quellmoor'",
        "-font", CJK, "-pointsize", "11", "-fill", GOLD_DEEP,
        "-draw", "text 128,19 '登录器'"])
    # Right part: a fading ornament of gold diamonds under the buttons.
    ornament = []
    for i, x in enumerate(range(8, 92, 14)):
        r = 2 + (i % 2)
        ornament += ["-draw", "polygon %d,%d %d,%d %d,%d %d,%d" % (x, 27 - r, x + r, 27, x, 27 + r, x - r, 27)]
    png(os.path.join(d, "206.png"), caption_strip(92) + ["-fill", GOLD_DEEP] + ornament)


def glyph_commands(kind, colour, ox=0, oy=0):
    """Line drawings of the window buttons' symbols, centred on (14, 13)."""
    c = ["-stroke", colour, "-strokewidth", "1.6", "-fill", "none"]
    if kind == "close":
        return c + ["-draw", "line %g,%g %g,%g" % (9.5 + ox, 8.5 + oy, 18.5 + ox, 17.5 + oy),
                    "-draw", "line %g,%g %g,%g" % (18.5 + ox, 8.5 + oy, 9.5 + ox, 17.5 + oy)]
    if kind == "maximize":
        return c + ["-draw", "rectangle %g,%g %g,%g" % (9.5 + ox, 8.5 + oy, 18.5 + ox, 17.5 + oy)]
    if kind == "restore":
        return c + ["-draw", "polyline %g,%g %g,%g %g,%g" % (11.5 + ox, 8.5 + oy, 18.5 + ox, 8.5 + oy,
                                                            18.5 + ox, 15.5 + oy),
                    "-draw", "rectangle %g,%g %g,%g" % (9.5 + ox, 10.5 + oy, 16.5 + ox, 17.5 + oy)]
    if kind == "minimize":
        return c + ["-draw", "line %g,%g %g,%g" % (9.5 + ox, 16.5 + oy, 18.5 + ox, 16.5 + oy)]
    raise ValueError(kind)


def window_button(out, kind, state, w=28, h=26):
    """Caption window buttons: bare gold symbol, lit plate on hover, sunk plate when pressed."""
    args = canvas(w, h)
    if state == "hover":
        plate = "#8E2A1E" if kind == "close" else "#5A4328"
        args += ["-fill", plate, "-stroke", GOLD_DEEP, "-strokewidth", "1",
                 "-draw", "roundrectangle 1.5,1.5 %g,%g 4,4" % (w - 2.5, h - 2.5)]
        args += glyph_commands(kind, GOLD_LIGHT)
    elif state == "pressed":
        plate = "#5E1A12" if kind == "close" else "#2A1F14"
        args += ["-fill", plate, "-stroke", "#6B5232", "-strokewidth", "1",
                 "-draw", "roundrectangle 1.5,1.5 %g,%g 4,4" % (w - 2.5, h - 2.5)]
        args += glyph_commands(kind, GOLD, 1, 1)
    else:
        args += glyph_commands(kind, GOLD)
    png(out, args)


def label_button(out, w, h, label, state, size=12):
    """Caption buttons with a label: a gold-trimmed plate carrying the text."""
    if state == "hover":
        fill, stroke, text, dy = "#5A4328", GOLD, GOLD_LIGHT, 0
    elif state == "pressed":
        fill, stroke, text, dy = "#1A130D", GOLD_DEEP, GOLD, 1
    else:
        fill, stroke, text, dy = "#33261A", GOLD_DEEP, GOLD, 0
    args = canvas(w, h) + [
        "-fill", fill, "-stroke", stroke, "-strokewidth", "1",
        "-draw", "roundrectangle 0.5,0.5 %g,%g 5,5" % (w - 1.5, h - 1.5),
        "-stroke", "none", "-fill", "#FFFFFF18",
        "-draw", "roundrectangle 2,2 %g,%g 4,4" % (w - 3, h / 2),
        "-font", CJK_BOLD, "-pointsize", str(size), "-fill", text, "-gravity", "center",
        "-annotate", "+0+%d" % (dy - 1), label]
    png(out, args)


def draw_frame_buttons(d):
    for kind, ids in (("close", (207, 208, 227)), ("maximize", (220, 213, 228)),
                      ("restore", (221, 217, 229)), ("minimize", (209, 210, 230))):
        for state, n in zip(("normal", "hover", "pressed"), ids):
            window_button(os.path.join(d, "%d.png" % n), kind, state)
    for label, w, ids in (("全屏", 59, (224, 214, 234)), ("选服", 59, (211, 212, 231)),
                          ("刷新", 78, (226, 219, 236)), ("清除缓存", 78, (252, 253, 261)),
                          ("老板键", 97, (223, 215, 233))):
        for state, n in zip(("normal", "hover", "pressed"), ids):
            label_button(os.path.join(d, "%d.png" % n), w, 24, label, state)


def draw_overlay(d):
    png(os.path.join(d, "275.png"), canvas(1, 1, "rgba(20,15,10,0.86)"))
    # Eight dots on a ring; the bright head moves two places per frame.
    for frame in range(4):
        args = canvas(23, 23)
        for i in range(8):
            angle = math.radians(i * 45 - 90)
            x, y = 11.5 + 8 * math.cos(angle), 11.5 + 8 * math.sin(angle)
            age = (frame * 2 - i) % 8
            alpha = [1.0, 0.8, 0.55, 0.4, 0.3, 0.25, 0.25, 0.25][age]
            r = 2.4 if age == 0 else 1.9
            args += ["-fill", "rgba(218,194,157,%.2f)" % alpha,
                     "-draw", "circle %.2f,%.2f %.2f,%.2f" % (x, y, x + r, y)]
        png(os.path.join(d, "%d.png" % (276 + frame)), args)


def draw_message_box(d):
    w, h = 253, 106
    # The box is a plain rectangular window, so every pixel of its picture is
    # opaque: the outline runs square along the window's edges (a rounded
    # outline would leave its transparent corners black on the screen).
    png(os.path.join(d, "304.png"), canvas(w, h, GOLD_DEEP) + [
        "-fill", DARK, "-draw", "rectangle 1,1 %d,%d" % (w - 2, h - 2),
        # title band
        "-stroke", "none", "-fill", DARK_TOP, "-draw", "rectangle 1,1 %d,30" % (w - 2),
        # corner brackets in the trim
        "-fill", GOLD_DEEP,
        "-draw", "rectangle 2,2 6,2", "-draw", "rectangle 2,2 2,6",
        "-draw", "rectangle %d,2 %d,2" % (w - 7, w - 3), "-draw", "rectangle %d,2 %d,6" % (w - 3, w - 3),
        "-draw", "rectangle 2,%d 6,%d" % (h - 3, h - 3), "-draw", "rectangle 2,%d 2,%d" % (h - 7, h - 3),
        "-draw", "rectangle %d,%d %d,%d" % (w - 7, h - 3, w - 3, h - 3),
        "-draw", "rectangle %d,%d %d,%d" % (w - 3, h - 7, w - 3, h - 3),
        "-fill", GOLD_DEEP, "-draw", "rectangle 8,31 %d,31" % (w - 9),
        "-fill", "#4B3A26", "-draw", "rectangle 8,32 %d,32" % (w - 9),
        # ornaments beside the title
        "-fill", GOLD_DEEP, "-draw", "polygon 70,16 74,12 78,16 74,20",
        "-draw", "polygon 192,16 196,12 200,16 196,20",
        "-fill", "#5A4328", "-draw", "rectangle 40,16 66,16", "-draw", "rectangle 204,16 214,16",
        # a faint inner line round the message area
        "-fill", "none", "-stroke", "#3A2C1E", "-draw", "roundrectangle 6.5,36.5 %g,%g 4,4" % (w - 7.5, h - 7.5)])
    png(os.path.join(d, "316.png"), canvas(11, 10) + [
        "-stroke", GOLD, "-strokewidth", "1.6", "-fill", "none",
        "-draw", "line 1.5,1 9.5,9", "-draw", "line 9.5,1 1.5,9"])
    for label, normal, lit in (("确定", 314, 313), ("取消", 312, 311)):
        for n, state in ((normal, "normal"), (lit, "lit")):
            top, bottom, text = ("#7A5A2E", "#3F2C17", GOLD_LIGHT) if state == "lit" else ("#5C4323", "#2B1E10", GOLD)
            if label == "取消":
                top, bottom = ("#5A4A3C", "#2C231B") if state == "lit" else ("#43372C", "#201A14")
            png(os.path.join(d, "%d.png" % n), canvas(82, 34) + ["("] + gradient(78, 30, top, bottom) + ["(", "-size", "78x30", "xc:none", "-fill", "white",
                "-draw", "roundrectangle 0,0 77,29 6,6", ")", "-compose", "DstIn", "-composite", ")",
                "-geometry", "+2+2", "-compose", "Over", "-composite",
                "-fill", "none", "-stroke", GOLD_EDGE if state == "lit" else GOLD_DEEP, "-strokewidth", "1",
                "-draw", "roundrectangle 2.5,2.5 78.5,30.5 6,6",
                "-stroke", "none", "-fill", "#FFFFFF14", "-draw", "roundrectangle 4,4 77,16 5,5",
                "-font", CJK_BOLD, "-pointsize", "14", "-fill", text, "-gravity", "center",
                "-annotate", "+0+0", label])


def draw_login(d):
    w, h = 1210, 746
    fx, fy, fw, fh = 372, 86, 690, 513
    # Irregular outline: a slab with chamfered corners, a raised crest over the
    # frame, a banner tongue hanging at the lower left and a plate at the lower
    # right. The login window draws its version label 60 pixels left of the
    # picture's right edge and 33 above its bottom; the plate carries it, so
    # the label lies on opaque pixels of the picture.
    outline = [(40, 70), (330, 70), (360, 40), (560, 40), (600, 10), (834, 10), (874, 40), (1074, 40),
               (1104, 70), (1170, 70), (1200, 100), (1200, 734), (1194, 740), (1118, 740), (1048, 670),
               (860, 670), (830, 700),
               (300, 700), (260, 736), (150, 736), (110, 700), (40, 700), (10, 670), (10, 100)]
    poly = " ".join("%d,%d" % p for p in outline)
    # The inner trim runs 8 pixels inside the outline; moving each corner 8
    # pixels towards the middle does that, except along the plate's falling
    # edge, which runs parallel to that move: its two corners are placed on
    # the edge moved 8 pixels inwards.
    inner_corner = {(1048, 670): (1051, 662), (1118, 740): (1121, 732)}
    inner = " ".join("%d,%d" % inner_corner.get((x, y), (x + (8 if x < w / 2 else -8), y + (8 if y < h / 2 else -8)))
                     for x, y in outline)
    mountains = "0,520 90,440 170,470 260,380 330,430 372,400 372,746 0,746"
    # artwork: night sky to moor, a moon, hills, the game's name
    args = ["("] + gradient(w, h, "#2B3B4A", "#1B140E") + [
        "-fill", "#E9DDBE",
        "-draw", "circle 210,190 210,150",
        "-fill", "#2B3B4A", "-draw", "circle 226,180 226,146",
        "-fill", "#241B13", "-draw", "polygon " + mountains,
        "-fill", "#17110C", "-draw", "polygon 0,600 120,540 240,580 372,520 372,746 0,746",
        "-font", SERIF_BOLD, "-pointsize", "46", "-fill", GOLD, "-stroke", "#5A4328", "-strokewidth", "1",
        "-draw", "text 52,300 'Quellmoor'", "-stroke", "none",
        "-font", CJK_BOLD, "-pointsize", "22", "-fill", GOLD_LIGHT, "-draw", "text 58,346 '荒原之泉 · 冒险再启'",
        "-font", CJK, "-pointsize", "14", "-fill", GOLD_DEEP, "-draw", "text 60,380 'Tarnwick 游戏平台'",
        # the frame that carries the web login dialog
        "-fill", "#0E0B08", "-stroke", GOLD_DEEP, "-strokewidth", "2",
        "-draw", "rectangle %d,%d %d,%d" % (fx - 4, fy - 4, fx + fw + 3, fy + fh + 3),
        "-stroke", "none", "-fill", DARK_LOW, "-draw", "rectangle %d,%d %d,%d" % (fx, fy, fx + fw - 1, fy + fh - 1),
        "-fill", GOLD_DEEP, "-draw", "polygon 717,22 727,12 737,22 727,32",
        "-font", CJK_BOLD, "-pointsize", "15", "-fill", GOLD, "-gravity", "north",
        "-annotate", "+0+52", "账号登录", "-gravity", "northwest",
        "-font", CJK, "-pointsize", "12", "-fill", GOLD_DEEP, "-draw", "text 430,636 '健康游戏忠告：抵制不良游戏，拒绝盗版游戏。注意自我保护，谨防受骗上当。'",
        # the recessed plaque under the version label
        "-fill", "#0E0B08", "-stroke", "#3A2C1E", "-strokewidth", "1",
        "-draw", "roundrectangle %g,%g %g,%g 3,3" % (w - 66.5, h - 37.5, w - 20.5, h - 15.5), "-stroke", "none",
        ")",
        # cut the artwork to the outline, then trim it with gold
        "(", "-size", "%dx%d" % (w, h), "xc:none", "-fill", "white", "-draw", "polygon " + poly, ")",
        "-compose", "DstIn", "-composite", "-compose", "Over",
        "-fill", "none", "-stroke", GOLD_DEEP, "-strokewidth", "3", "-draw", "polygon " + poly,
        "-stroke", "#5A4328", "-strokewidth", "1", "-draw", "polygon " + inner]
    png(os.path.join(d, "319.png"), args)


def opaque_over(out, backing):
    """Makes every pixel of the PNG either fully transparent or opaque: a
    pixel the drawing touched at all becomes the drawing blended over the
    backing colour. For images shown over a colour key, where a half
    transparent edge would be blended with the key colour and no longer match
    it, while whatever the key lets through has the backing colour."""
    run([out, "(", "+clone", "-background", backing, "-flatten", ")",
         "(", "-clone", "0", "-alpha", "extract", "-threshold", "0", ")",
         "-delete", "0", "-alpha", "off", "-compose", "CopyOpacity", "-composite"] + PNG_OUT + ["PNG32:" + out])


def web_button(out, kind, state, w=29, h=30):
    """The web login dialog's window buttons. They are drawn over the dialog's
    pure green colour key, through which the login picture's dark frame
    shows; their soft edges are blended over that dark frame beforehand."""
    args = canvas(w, h)
    if state != "normal":
        plate = ("#8E2A1E" if kind == "close" else "#5A4328") if state == "hover" else \
            ("#5E1A12" if kind == "close" else "#2A1F14")
        args += ["-fill", plate, "-stroke", GOLD_DEEP, "-strokewidth", "1",
                 "-draw", "roundrectangle 1.5,2.5 %g,%g 4,4" % (w - 2.5, h - 2.5)]
    off = 1 if state == "pressed" else 0
    args += glyph_commands(kind, GOLD_LIGHT if state == "hover" else GOLD, 0.5 + off, 2 + off)
    png(out, args)
    opaque_over(out, DARK_LOW)


def draw_web_dialog(d):
    for kind, ids in (("minimize", (320, 321, 322)), ("close", (323, 324, 325))):
        for state, n in zip(("normal", "hover", "pressed"), ids):
            web_button(os.path.join(d, "%d.png" % n), kind, state)


def draw_bitmap_and_icons(skin, icons):
    # Web login dialog background: pure green (the colour key) above the page
    # with the two window symbols drawn into it, a dark page area below.
    w = 690
    args = ["-size", "%dx513" % w, "xc:#140F0B", "-fill", "#00FF00", "-draw", "rectangle 0,0 %d,60" % (w - 1)]
    args += glyph_commands("minimize", GOLD, w - 85 + 0.5, 2)
    args += glyph_commands("close", GOLD, w - 57 + 0.5, 2)
    run(args + ["+antialias", "-strip", "-type", "TrueColor", "BMP3:" + os.path.join(skin, "318.bmp")])
    # Anti-aliasing would blend the symbols into the key colour; redraw sharp.
    args = ["-size", "%dx513" % w, "xc:#140F0B", "+antialias", "-fill", "#00FF00",
            "-draw", "rectangle 0,0 %d,60" % (w - 1)]
    args += glyph_commands("minimize", GOLD, w - 85 + 0.5, 2)
    args += glyph_commands("close", GOLD, w - 57 + 0.5, 2)
    run(args + ["-strip", "-type", "TrueColor", "BMP3:" + os.path.join(skin, "318.bmp")])

    def emblem(size, out_png, mark):
        s = size / 32.0
        run(["-size", "%dx%d" % (size, size), "xc:none",
             "-fill", DARK_TOP, "-stroke", GOLD, "-strokewidth", "%.2f" % max(1, 1.5 * s),
             "-draw", "roundrectangle %g,%g %g,%g %g,%g" % (1 * s, 1 * s, 30 * s, 30 * s, 6 * s, 6 * s),
             "-stroke", "none", "-fill", GOLD] + mark(s) + ["-strip", "PNG32:" + out_png])

    def diamond(s):
        return ["-draw", "polygon %g,%g %g,%g %g,%g %g,%g" % (16 * s, 5 * s, 26 * s, 16 * s, 16 * s, 27 * s, 5 * s, 16 * s),
                "-fill", DARK_LOW, "-draw", "polygon %g,%g %g,%g %g,%g %g,%g" % (16 * s, 11 * s, 21 * s, 16 * s, 16 * s, 21 * s, 11 * s, 16 * s)]


    tmp = []
    for size in (16, 32, 48):
        p = os.path.join(icons, ".app%d.png" % size)
        emblem(size, p, diamond)
        tmp.append(p)
    run(tmp + ["-strip", os.path.join(icons, "quellmoor.ico")])
    # The uninstall icon is packaged with the settings file; see
    # tools/draw_uninstall_icon.py.
    for p in tmp:
        os.remove(p)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    parser.add_argument("--out", default=os.path.join(root, "res"))
    args = parser.parse_args()
    skin = os.path.join(args.out, "skin")
    icons = os.path.join(args.out, "icons")
    os.makedirs(skin, exist_ok=True)
    os.makedirs(icons, exist_ok=True)
    for step in (draw_caption, draw_frame_buttons, draw_overlay, draw_message_box, draw_login, draw_web_dialog):
        step(skin)
    draw_bitmap_and_icons(skin, icons)
    return 0


if __name__ == "__main__":
    sys.exit(main())
