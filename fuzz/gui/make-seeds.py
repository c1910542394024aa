#!/usr/bin/env python3
"""Writes the seed corpora of the BMP and ICO decoder fuzz targets: small
files cut from the skin (res/skin) and tiny generated ones of every depth the
decoders read, plus truncated copies. Run from the repository root."""
import os
import struct
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
SKIN = os.path.join(HERE, "..", "..", "res", "skin")


def put(kind, name, data):
    with open(os.path.join(HERE, "corpus", kind, name), "wb") as f:
        f.write(data)


def dib(w, h, bpp, pixels_row, palette=b"", compression=0, masks=b"", icon=False):
    """Info header, optional bit masks and palette, then bottom-up rows (and an
    all-opaque AND mask for icons)."""
    stride = ((w * bpp + 31) // 32) * 4
    rows = b"".join(pixels_row(y).ljust(stride, b"\0") for y in range(h))
    colors = len(palette) // 4
    header = struct.pack("<IiiHHIIiiII", 40, w, h * 2 if icon else h, 1, bpp, compression,
                         len(rows), 2835, 2835, colors, 0)
    mask = b"\0" * (((w + 31) // 32) * 4 * h) if icon else b""
    return header + masks + palette + rows + mask


def bmp(d):
    info_size = 40
    masks_and_palette = 0
    bpp = struct.unpack_from("<H", d, 14)[0]
    compression = struct.unpack_from("<I", d, 16)[0]
    colors = struct.unpack_from("<I", d, 32)[0]
    if compression == 3:
        masks_and_palette += 12
    if bpp <= 8:
        masks_and_palette += 4 * (colors or (1 << bpp))
    offset = 14 + info_size + masks_and_palette
    return b"BM" + struct.pack("<IHHI", 14 + len(d), 0, 0, offset) + d


def png(w, h):
    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))
    raw = b"".join(b"\0" + bytes([0x20, 0x80, 0xE0, 0xFF]) * w for _ in range(h))
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, 8, 6, 0, 0, 0)) +
            chunk(b"IDAT", zlib.compress(raw)) + chunk(b"IEND", b""))


def ico(images):
    """images: (width, height, bpp, bytes) each; the directory, then the images."""
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    body = b""
    for w, h, bpp, data in images:
        out += struct.pack("<BBBBHHII", w % 256, h % 256, 0, 0, 1, bpp, len(data), offset + len(body))
        body += data
    return out + body


mono = struct.pack("<II", 0x000000, 0xFFFFFF)
sixteen = b"".join(struct.pack("<I", (i * 0x111111) & 0xFFFFFF) for i in range(16))
gray = b"".join(struct.pack("<I", i * 0x010101) for i in range(256))

# BMP: the skin's close-button mask whole and cut short, and one file per depth.
with open(os.path.join(SKIN, "142-close-button-mask.bmp"), "rb") as f:
    mask = f.read()
put("bmp", "skin-close-button-mask.bmp", mask)
put("bmp", "skin-close-button-mask-truncated.bmp", mask[:400])
put("bmp", "header-only.bmp", mask[:54])
put("bmp", "1bit-9x3.bmp", bmp(dib(9, 3, 1, lambda y: bytes([0xA5, 0x80 >> y]), mono)))
put("bmp", "4bit-5x2.bmp", bmp(dib(5, 2, 4, lambda y: bytes([0x12, 0x34, 0xF0]), sixteen)))
put("bmp", "8bit-3x3-short-palette.bmp",
    bmp(dib(3, 3, 8, lambda y: bytes([0, 1, 2 + y]), gray[:16])))
put("bmp", "24bit-3x2.bmp", bmp(dib(3, 2, 24, lambda y: bytes(range(y, y + 9)))))
top_down = bytearray(bmp(dib(2, 2, 24, lambda y: b"\x10\x20\x30\x40\x50\x60")))
struct.pack_into("<i", top_down, 22, -2)
put("bmp", "24bit-2x2-top-down.bmp", bytes(top_down))
put("bmp", "32bit-bitfields-2x2.bmp",
    bmp(dib(2, 2, 32, lambda y: b"\x01\x02\x03\x80" * 2, compression=3,
            masks=struct.pack("<III", 0xFF0000, 0xFF00, 0xFF))))

# ICO: the application icon's 16 x 16 image alone, a 1-bit and a PNG icon, two
# images to choose from, and cut-short copies.
with open(os.path.join(SKIN, "129-application.ico"), "rb") as f:
    app = f.read()
size16, offset16 = struct.unpack_from("<II", app, 6 + 8)
icon16 = ico([(16, 16, 32, app[offset16:offset16 + size16])])
put("ico", "skin-application-16.ico", icon16)
put("ico", "skin-application-16-truncated.ico", icon16[:300])
put("ico", "directory-only.ico", icon16[:22])
put("ico", "1bit-8x8.ico", ico([(8, 8, 1, dib(8, 8, 1, lambda y: bytes([0x55 << (y & 1) & 0xFF]), mono, icon=True))]))
put("ico", "png-2x2.ico", ico([(2, 2, 32, png(2, 2))]))
put("ico", "two-images.ico",
    ico([(4, 4, 4, dib(4, 4, 4, lambda y: b"\x01\x23", sixteen, icon=True)), (32, 32, 32, png(3, 1))]))

# Regressions: the most negative height, whose magnitude has no 32-bit value
# (found by the BMP target), in a BMP file and in an icon image.
int_min = bytearray(bmp(dib(2, 2, 24, lambda y: b"\x10\x20\x30\x40\x50\x60")))
struct.pack_into("<i", int_min, 22, -2**31)
put("bmp", "regress-height-int-min.bmp", bytes(int_min))
icon_int_min = bytearray(ico([(2, 2, 24, dib(2, 2, 24, lambda y: b"\x10\x20\x30\x40\x50\x60", icon=True))]))
struct.pack_into("<i", icon_int_min, 22 + 8, -2**31)
put("ico", "regress-height-int-min.ico", bytes(icon_int_min))
