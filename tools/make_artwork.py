#!/usr/bin/python3
"""Draws the updater's pictures into resources/artwork/: the animation frames
ACTUA0..ACTUA9 (24-bit: a sheet of paper flying from one folder to another
over a pale blue sky), the banner BMPACTUA (8-bit), the logo BMPLOGO (8-bit,
on magenta, which the dialog draws as transparent),
the browse marks BMPSIACT (16x14, 4-bit, a ticked box) and BMPNOACT (14x14,
4-bit, an empty box), the small dialogs' pictures BMP_STOP, BMP_BOMBA and
lupaDate, and the program's icon Conta.ico (48, 32 and 16 pixels, 32-bit).

The animation, the banner and the logo are drawn for the size their
controls have on the screen (--animation, --banner, --logo WxH; the
defaults are the progress dialog's controls with the dialog's base units of
6 x 12 pixels and its resource widening of 1.164609: 186 x 42, 314 x 23 and
100 x 71 dialog units give 324 x 63, 548 x 35 and 174 x 107 pixels). Each
scene is laid out in its own units, 80, 40 and 124 of them high, keeps its
proportions at any size and spreads to the width it is given; the program
stretches a picture only on a screen where its control has another size.

Shapes are drawn four times larger and scaled down, so their edges are
smooth. Pictures drawn with a transparent colour have their edges blended
into the dialog's own background instead of into the transparent colour,
so no pink fringe shows. Deterministic: the same Pillow and fonts make the
same bytes. Needs Pillow (Debian: python3-pil) and fonts-liberation."""
import argparse
import math
import os
import struct

from PIL import Image, ImageDraw, ImageFilter, ImageFont

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "..", "resources", "artwork")
FONTS = "/usr/share/fonts/truetype/liberation"
SS = 4  # supersampling factor

MAGENTA = (255, 0, 255)
DIALOG_PANE = (0xD7, 0xD3, 0xCA)  # the dialogs' background, COLORREF 0xCAD3D7
MANILA = (246, 200, 92)
MANILA_DARK = (222, 166, 58)
MANILA_EDGE = (150, 104, 30)
NAVY = (18, 44, 112)


def font(size, bold=True):
    name = "LiberationSans-Bold.ttf" if bold else "LiberationSans-Regular.ttf"
    return ImageFont.truetype(os.path.join(FONTS, name), round(size))


# ---- BMP and ICO writers (bottom-up rows, no compression) --------------------

def bmp_file(width, height, bits, palette, rows):
    """rows: top-down list of row byte strings already packed for `bits`."""
    stride = ((width * bits + 31) // 32) * 4
    data = b"".join(r + b"\x00" * (stride - len(r)) for r in reversed(rows))
    colours = len(palette)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, bits, 0, len(data), 2835, 2835,
                       colours, 0)
    pal = b"".join(bytes((b, g, r, 0)) for (r, g, b) in palette)
    offset = 14 + len(info) + len(pal)
    head = struct.pack("<2sIHHI", b"BM", offset + len(data), 0, 0, offset)
    return head + info + pal + data


def bmp24(img):
    w, h = img.size
    px = img.load()
    rows = [b"".join(bytes((px[x, y][2], px[x, y][1], px[x, y][0])) for x in range(w))
            for y in range(h)]
    return bmp_file(w, h, 24, [], rows)


def bmp8(img):
    """An 8-bit picture: the colours it uses, at most 256 (exact when fewer)."""
    img = img.convert("RGB")
    if len(img.getcolors(1 << 16) or []) > 256 or img.getcolors(256) is None:
        q = img.quantize(colors=256, method=Image.Quantize.MEDIANCUT, dither=Image.Dither.NONE)
    else:
        q = img.quantize(colors=256, method=Image.Quantize.MEDIANCUT, dither=Image.Dither.NONE)
    raw = q.getpalette()[: 256 * 3]
    palette = [tuple(raw[i:i + 3]) for i in range(0, len(raw), 3)]
    palette += [(0, 0, 0)] * (256 - len(palette))
    w, h = q.size
    px = q.load()
    rows = [bytes(px[x, y] for x in range(w)) for y in range(h)]
    return bmp_file(w, h, 8, palette, rows)


# The sixteen colours of the standard 4-bit palette.
VGA16 = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
         (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0),
         (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255)]


def bmp4(pixels):
    """pixels: top-down rows of RGB tuples, each one of VGA16."""
    h, w = len(pixels), len(pixels[0])
    rows = []
    for row in pixels:
        idx = [VGA16.index(c) for c in row] + [0]
        rows.append(bytes((idx[i] << 4) | (idx[i + 1] if i + 1 < w else 0)
                          for i in range(0, w, 2)))
    return bmp_file(w, h, 4, VGA16, rows)


def ico(images):
    """images: RGBA pictures, largest first. 32-bit entries with AND masks."""
    entries, blobs = [], []
    offset = 6 + 16 * len(images)
    for img in images:
        w, h = img.size
        px = img.load()
        xor = b"".join(bytes((px[x, y][2], px[x, y][1], px[x, y][0], px[x, y][3]))
                       for y in reversed(range(h)) for x in range(w))
        stride = ((w + 31) // 32) * 4
        mask = b""
        for y in reversed(range(h)):
            bits = 0
            row = bytearray(stride)
            for x in range(w):
                if px[x, y][3] < 128:
                    row[x // 8] |= 0x80 >> (x % 8)
            mask += bytes(row)
        header = struct.pack("<IiiHHIIiiII", 40, w, h * 2, 1, 32, 0, len(xor) + len(mask), 0, 0,
                             0, 0)
        blob = header + xor + mask
        entries.append(struct.pack("<BBBBHHII", w % 256, h % 256, 0, 0, 1, 32, len(blob), offset))
        blobs.append(blob)
        offset += len(blob)
    return struct.pack("<HHH", 0, 1, len(images)) + b"".join(entries) + b"".join(blobs)


# ---- Drawing helpers ------------------------------------------------------------

def canvas(w, h, colour=(0, 0, 0, 0)):
    img = Image.new("RGBA", (w * SS, h * SS), colour)
    return img, ImageDraw.Draw(img)


def s(v):
    return v * SS


def si(v):
    return round(v * SS)


def pts(points):
    return [(s(x), s(y)) for (x, y) in points]


def down(img, w, h):
    return img.resize((w, h), Image.Resampling.LANCZOS)


def flatten(layer, ground, transparent=None):
    """Puts an RGBA layer on a ground colour. With `transparent`, pixels the
    layer barely covers become that colour (the picture's transparent one)
    and the rest are blended into the ground."""
    base = Image.new("RGBA", layer.size, ground + (255,))
    out = Image.alpha_composite(base, layer).convert("RGB")
    if transparent is None:
        return out
    a = layer.getchannel("A").load()
    px = out.load()
    for y in range(layer.size[1]):
        for x in range(layer.size[0]):
            if a[x, y] < 96:
                px[x, y] = transparent
    return out


def vertical_gradient(w, h, top, bottom):
    img = Image.new("RGB", (w, h))
    px = img.load()
    for y in range(h):
        t = y / max(h - 1, 1)
        c = tuple(round(top[i] + (bottom[i] - top[i]) * t) for i in range(3))
        for x in range(w):
            px[x, y] = c
    return img


def rounded(d, box, radius, **kw):
    d.rounded_rectangle([s(box[0]), s(box[1]), s(box[2]), s(box[3])], radius=si(radius), **kw)


# ---- The animation: a sheet flying between two folders --------------------------

def folder(d, x, y, w, h, open_front):
    """A manila folder whose back's top-left corner is (x, y)."""
    tab = [(x, y + 6), (x + 2, y), (x + w * 0.38, y), (x + w * 0.45, y + 6)]
    d.polygon(pts(tab), fill=MANILA_DARK + (255,), outline=MANILA_EDGE + (255,), width=SS)
    rounded(d, (x, y + 5, x + w, y + h), 3, fill=MANILA_DARK + (255,),
            outline=MANILA_EDGE + (255,), width=SS)
    # The paper already inside peeks out of the folder.
    for i, dx in enumerate((6, 10)):
        d.rectangle([s(x + dx), s(y + 9 - i * 2), s(x + w - 14 + dx), s(y + h - 4)],
                    fill=(252, 252, 248, 255), outline=(170, 170, 170, 255), width=SS)
    top = y + (16 if open_front else 12)
    front = [(x - (4 if open_front else 0), top), (x + w + (4 if open_front else 0), top),
             (x + w, y + h), (x, y + h)]
    d.polygon(pts(front), fill=MANILA + (255,), outline=MANILA_EDGE + (255,))
    d.line(pts([front[0], front[1]]), fill=(255, 232, 170, 255), width=SS)


def sheet(d, cx, cy, angle):
    """A sheet of 22x28 with a folded corner and lines of text, centred at
    (cx, cy), turned by `angle` degrees."""
    w, h, fold = 22, 28, 6
    shape = [(-w / 2, -h / 2), (w / 2 - fold, -h / 2), (w / 2, -h / 2 + fold), (w / 2, h / 2),
             (-w / 2, h / 2)]
    c, sn = math.cos(math.radians(angle)), math.sin(math.radians(angle))

    def at(p):
        return (cx + p[0] * c - p[1] * sn, cy + p[0] * sn + p[1] * c)

    d.polygon(pts([at((px + 1.5, py + 1.5)) for (px, py) in shape]), fill=(40, 70, 120, 70))
    d.polygon(pts([at(p) for p in shape]), fill=(255, 255, 255, 255), outline=(110, 120, 135, 255),
              width=SS)
    d.polygon(pts([at(p) for p in [(w / 2 - fold, -h / 2), (w / 2 - fold, -h / 2 + fold),
                                   (w / 2, -h / 2 + fold)]]),
              fill=(214, 222, 232, 255), outline=(110, 120, 135, 255))
    for i in range(6):
        yy = -h / 2 + 7 + i * 3.2
        xr = w / 2 - 4 if i not in (2, 5) else w / 2 - 9
        d.line(pts([at((-w / 2 + 4, yy)), at((xr, yy))]),
               fill=(90, 130, 200, 255) if i == 0 else (150, 160, 175, 255), width=SS)


def actua_frame(k, size):
    """Frame k for a picture of size (width, height) pixels: the scene is 80
    units high and as many wide as the picture's proportions give; the
    folders keep their places from the two edges."""
    px_w, px_h = size
    h = 80
    w = h * px_w / px_h
    right = w - 336  # how far the right-hand things move from a 336-unit scene
    sky = vertical_gradient(si(w), s(h), (236, 245, 253), (190, 216, 242)).convert("RGBA")
    img, d = Image.new("RGBA", sky.size, (0, 0, 0, 0)), None
    d = ImageDraw.Draw(img)
    # Ground line and the two folders' shadows.
    d.rectangle([0, s(72), si(w), s(h)], fill=(170, 198, 228, 255))
    d.line([0, s(72), si(w), s(72)], fill=(150, 182, 218, 255), width=SS)
    for x0 in (18, 244 + right):
        d.ellipse([s(x0 - 4), s(69), s(x0 + 80), s(76)], fill=(120, 150, 190, 110))
    # The path: a dotted arc from folder to folder.
    x_from, x_to, y_base, apex = 58, 282 + right, 38, 18
    for i in range(1, 40):
        t = i / 40
        x = x_from + (x_to - x_from) * t
        y = y_base - 4 * (y_base - apex) * t * (1 - t)
        d.ellipse([s(x - 0.8), s(y - 0.8), s(x + 0.8), s(y + 0.8)], fill=(120, 150, 200, 140))
    folder(d, 20, 30, 74, 40, open_front=True)
    folder(d, 246 + right, 30, 74, 40, open_front=True)
    # The sheet of this frame, with a fading trail behind it.
    t = k / 9
    for back, alpha in ((0.10, 18), (0.05, 34)):
        tt = max(t - back, 0)
        if tt < t:
            x = x_from + (x_to - x_from) * tt
            y = y_base - 4 * (y_base - apex) * tt * (1 - tt)
            d.ellipse([s(x - 8), s(y - 10), s(x + 8), s(y + 10)], fill=(255, 255, 255, alpha))
    x = x_from + (x_to - x_from) * t
    y = y_base - 4 * (y_base - apex) * t * (1 - t)
    sheet(d, x, y, -24 + 48 * t)
    # The folders' fronts go over a sheet that is still (or already) inside.
    if k in (0, 9):
        front = ImageDraw.Draw(img)
        fx = 20 if k == 0 else 246 + right
        top = 30 + 16
        poly = [(fx - 4, top), (fx + 78, top), (fx + 74, 70), (fx, 70)]
        front.polygon(pts(poly), fill=MANILA + (255,), outline=MANILA_EDGE + (255,))
        front.line(pts([poly[0], poly[1]]), fill=(255, 232, 170, 255), width=SS)
    out = Image.alpha_composite(sky, img)
    return down(out, px_w, px_h).convert("RGB")


# ---- Banner ------------------------------------------------------------------------

def banner(size):
    """The banner for a picture of size (width, height): 40 units high, the
    emblem and the title from the left edge, the product's name and the
    bands from the right one."""
    px_w, px_h = size
    h = 40
    w = h * px_w / px_h
    img = Image.new("RGB", (si(w), s(h)))
    px = img.load()
    left, right = (14, 38, 102), (38, 104, 186)
    for x in range(si(w)):
        t = x / (si(w) - 1)
        base = tuple(round(left[i] + (right[i] - left[i]) * t) for i in range(3))
        for y in range(s(h)):
            shine = 1 + 0.10 * math.cos(math.pi * y / s(h))  # lighter in the middle
            px[x, y] = tuple(min(255, round(c * shine)) for c in base)
    layer = Image.new("RGBA", img.size, (0, 0, 0, 0))
    d = ImageDraw.Draw(layer)
    # Soft diagonal bands on the right.
    for i in range(6):
        x0 = w - 220 + i * 38
        d.polygon(pts([(x0, 0), (x0 + 18, 0), (x0 - 12, h), (x0 - 30, h)]),
                  fill=(255, 255, 255, 14))
    # The emblem: a white sheet over a folder, with a circular arrow.
    rounded(d, (10, 6, 38, 34), 5, fill=(255, 255, 255, 40), outline=(255, 255, 255, 120),
            width=SS)
    d.polygon(pts([(16, 11), (28, 11), (32, 15), (32, 30), (16, 30)]), fill=(255, 255, 255, 255))
    for i in range(4):
        d.line(pts([(19, 16 + i * 3.4), (29, 16 + i * 3.4)]), fill=(90, 130, 200, 255), width=SS)
    d.arc([s(21), s(19), s(37), s(35)], 200, 470, fill=(255, 190, 60, 255), width=si(2))
    d.polygon(pts([(35.5, 22), (38.5, 28.5), (31.5, 27)]), fill=(255, 190, 60, 255))
    # The title with a soft shadow.
    title = "Proceso de actualizaci\u00f3n"
    f = font(s(21))
    shadow = Image.new("RGBA", img.size, (0, 0, 0, 0))
    ImageDraw.Draw(shadow).text((s(50) + s(1.5), s(8) + s(1.5)), title, font=f,
                                fill=(0, 0, 30, 150))
    shadow = shadow.filter(ImageFilter.GaussianBlur(s(1.2)))
    out = Image.alpha_composite(img.convert("RGBA"), shadow)
    out = Image.alpha_composite(out, layer)
    d = ImageDraw.Draw(out)
    d.text((s(50), s(8)), title, font=f, fill=(255, 255, 255, 255))
    d.text((s(w - 10), s(14)), "VELMORANTIS ZENTA", font=font(s(10)), anchor="ra",
           fill=(200, 220, 255, 255))
    d.line([s(50), s(34), s(w - 10), s(34)], fill=(255, 190, 60, 200), width=SS)
    return bmp8(down(out, px_w, px_h))


# ---- Logo --------------------------------------------------------------------------

def logo(size):
    """The logo for a picture of size (width, height): drawn 175 x 124 units
    large, scaled to fit whole and centred on the transparent colour."""
    px_w, px_h = size
    w, h = 175, 124
    img, d = canvas(w, h)
    # Emblem: a blue rounded square leaning on an orange one.
    rounded(d, (63, 8, 113, 58), 10, fill=(244, 150, 40, 255))
    shade = Image.new("RGBA", img.size, (0, 0, 0, 0))
    ImageDraw.Draw(shade).rounded_rectangle([s(56), s(4), s(106), s(54)], radius=si(10),
                                            fill=(10, 20, 60, 90))
    img = Image.alpha_composite(img, shade.filter(ImageFilter.GaussianBlur(s(1.5))))
    d = ImageDraw.Draw(img)
    grad = vertical_gradient(s(50), s(50), (52, 120, 210), (16, 48, 128)).convert("RGBA")
    m = Image.new("L", grad.size, 0)
    ImageDraw.Draw(m).rounded_rectangle([0, 0, s(50) - 1, s(50) - 1], radius=si(10), fill=255)
    img.paste(grad, (s(56), s(2)), m)
    d = ImageDraw.Draw(img)
    # "VZ" monogram.
    d.text((s(81), s(27)), "VZ", font=font(s(26)), anchor="mm", fill=(255, 255, 255, 255))
    d.line([s(64), s(42), s(98), s(42)], fill=(244, 150, 40, 255), width=si(2))
    # Name under it.
    d.text((s(w / 2), s(76)), "VELMORANTIS", font=font(s(20)), anchor="mm", fill=NAVY + (255,))
    f = font(s(13))
    word = "Z E N T A"
    d.text((s(w / 2), s(97)), word, font=f, anchor="mm", fill=(214, 112, 20, 255))
    d.line([s(22), s(97), s(58), s(97)], fill=(214, 112, 20, 255), width=SS)
    d.line([s(w - 58), s(97), s(w - 22), s(97)], fill=(214, 112, 20, 255), width=SS)
    d.text((s(w / 2), s(114)), "facturaci\u00f3n", font=font(s(10), bold=False), anchor="mm",
           fill=(70, 80, 100, 255))
    unit = min(px_w / w, px_h / h)
    fitted = down(img, max(1, round(w * unit)), max(1, round(h * unit)))
    layer = Image.new("RGBA", (px_w, px_h), (0, 0, 0, 0))
    layer.paste(fitted, ((px_w - fitted.size[0]) // 2, (px_h - fitted.size[1]) // 2))
    return bmp8(flatten(layer, DIALOG_PANE, transparent=MAGENTA))


# ---- Browse marks (16-colour) ----------------------------------------------------------

def check_box(width, ticked):
    """A 13x13 sunken box at (1, 1); the corner pixel is white, the colour
    the strip shows through."""
    W, K, D, L, R = (255, 255, 255), (0, 0, 0), (128, 128, 128), (192, 192, 192), (255, 0, 0)
    rows = [[W] * width for _ in range(14)]
    for y in range(1, 14):
        for x in range(1, 14):
            if y == 1 or x == 1:
                c = D
            elif y == 13 or x == 13:
                c = W
            elif y == 2 or x == 2:
                c = K
            elif y == 12 or x == 12:
                c = L
            else:
                c = L
            rows[y][x] = c
    # Inner well a shade lighter at its centre for depth.
    if ticked:
        tick = [(3, 7), (4, 8), (5, 9), (6, 10), (7, 9), (8, 8), (9, 7), (10, 6), (11, 5), (12, 4),
                (13, 3), (14, 2)]
        for (x, y) in tick:
            for dy in (0, 1, 2):
                if 0 <= y + dy < 14 and x < width:
                    rows[y + dy][x] = R
    return rows


# ---- Pictures of the small dialogs ------------------------------------------------------

def stop_sign():
    w = h = 40
    img, d = canvas(w, h)
    c, r = 20, 18.5
    octa = [(c + r * math.cos(math.radians(22.5 + 45 * i)), c + r * math.sin(math.radians(22.5 + 45 * i)))
            for i in range(8)]
    d.polygon(pts(octa), fill=(255, 255, 255, 255))
    inner = [(c + (r - 2.2) * math.cos(math.radians(22.5 + 45 * i)),
              c + (r - 2.2) * math.sin(math.radians(22.5 + 45 * i))) for i in range(8)]
    d.polygon(pts(inner), fill=(204, 24, 30, 255))
    d.text((s(c), s(c + 0.5)), "STOP", font=font(s(10.5)), anchor="mm", fill=(255, 255, 255, 255))
    return bmp24(flatten(down(img, w, h), DIALOG_PANE, transparent=MAGENTA))


def bomb():
    w = h = 40
    img, d = canvas(w, h)
    d.ellipse([s(5), s(12), s(31), s(38)], fill=(28, 30, 36, 255))
    d.ellipse([s(10), s(16), s(17), s(23)], fill=(120, 126, 140, 255))
    d.rectangle([s(20), s(9), s(26), s(15)], fill=(70, 74, 84, 255))
    d.line(pts([(23, 9), (25, 5), (29, 4), (31, 6)]), fill=(150, 110, 60, 255), width=si(1.3))
    for i in range(8):
        a = math.radians(i * 45)
        rr = 5.5 if i % 2 == 0 else 3.5
        d.line(pts([(32, 5), (32 + rr * math.cos(a), 5 + rr * math.sin(a))]),
               fill=(255, 196, 40, 255), width=si(1.2))
    d.ellipse([s(30.5), s(3.5), s(33.5), s(6.5)], fill=(255, 90, 20, 255))
    return bmp24(flatten(down(img, w, h), DIALOG_PANE, transparent=MAGENTA))


def calendar_lens():
    w = h = 16
    img, d = canvas(w, h)
    d.rectangle([s(1), s(2), s(12), s(13)], fill=(255, 255, 255, 255), outline=(60, 70, 90, 255),
                width=SS)
    d.rectangle([s(1), s(2), s(12), s(5)], fill=(200, 40, 40, 255))
    for yy in (7, 9.5, 12):
        for xx in (3, 5.5, 8, 10.5):
            d.rectangle([s(xx - 0.5), s(yy - 0.5), s(xx + 0.5), s(yy + 0.5)], fill=(90, 100, 120, 255))
    d.ellipse([s(7), s(6), s(13), s(12)], outline=(20, 40, 110, 255), width=si(1.4),
              fill=(200, 230, 255, 200))
    d.line(pts([(12, 11), (15, 14.5)]), fill=(20, 40, 110, 255), width=si(2))
    return bmp24(flatten(down(img, w, h), (240, 240, 240), transparent=MAGENTA))


# ---- Icon ----------------------------------------------------------------------------------

def icon_picture(size):
    big = 256
    img = Image.new("RGBA", (big, big), (0, 0, 0, 0))
    grad = vertical_gradient(big, big, (58, 132, 222), (16, 50, 132)).convert("RGBA")
    m = Image.new("L", (big, big), 0)
    ImageDraw.Draw(m).rounded_rectangle([8, 8, 247, 247], radius=44, fill=255)
    img.paste(grad, (0, 0), m)
    d = ImageDraw.Draw(img)
    # A ledger sheet.
    d.polygon([(62, 40), (158, 40), (196, 78), (196, 214), (62, 214)], fill=(255, 255, 255, 255))
    d.polygon([(158, 40), (158, 78), (196, 78)], fill=(200, 214, 236, 255))
    for i in range(5):
        y = 98 + i * 22
        d.rectangle([84, y, 174 if i % 2 == 0 else 140, y + 8], fill=(120, 150, 200, 255))
    # The update arrow, orange, round the bottom-right corner.
    d.arc([120, 120, 236, 236], 160, 430, fill=(250, 160, 30, 255), width=22)
    d.polygon([(222, 138), (246, 182), (196, 176)], fill=(250, 160, 30, 255))
    return img.resize((size, size), Image.Resampling.LANCZOS)


def picture_size(text):
    w, _, h = text.lower().partition("x")
    if not (w.isdigit() and h.isdigit() and int(w) > 0 and int(h) > 0):
        raise argparse.ArgumentTypeError("a size is WIDTHxHEIGHT in pixels, not %r" % text)
    return int(w), int(h)


def main():
    ap = argparse.ArgumentParser(description="Draws the updater's pictures.")
    ap.add_argument("--animation", type=picture_size, default=(324, 63), metavar="WxH")
    ap.add_argument("--banner", type=picture_size, default=(548, 35), metavar="WxH")
    ap.add_argument("--logo", type=picture_size, default=(174, 107), metavar="WxH")
    args = ap.parse_args()
    os.makedirs(OUT, exist_ok=True)
    files = {}
    for k in range(10):
        files["actua%d.bmp" % k] = bmp24(actua_frame(k, args.animation))
    files["bmpactua.bmp"] = banner(args.banner)
    files["bmplogo.bmp"] = logo(args.logo)
    files["bmpsiact.bmp"] = bmp4(check_box(16, True))
    files["bmpnoact.bmp"] = bmp4(check_box(14, False))
    files["bmp_stop.bmp"] = stop_sign()
    files["bmp_bomba.bmp"] = bomb()
    files["lupadate.bmp"] = calendar_lens()
    files["conta.ico"] = ico([icon_picture(48), icon_picture(32), icon_picture(16)])
    for name, data in sorted(files.items()):
        with open(os.path.join(OUT, name), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main()
