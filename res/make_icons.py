#!/usr/bin/env python3
"""Draws the three icons of Quipmark at 16, 20, 24, 32, 40 and 48 pixels
(32-bit with alpha, each stored as a PNG image, which Windows reads in icons
since Vista and which takes a tenth of the room of a bitmap with its mask)
and writes them as .ico files beside this script. Windows
picks the image for the small and the large icon size of the display scale:
16 and 32 at 100 %, 20 and 40 at 125 %, 24 and 48 at 150 %, 32 and 64 at
200 % (the 64 drawn from the 48).

  quipmark.ico  the application: a speech bubble holding a quotation mark
  group.ico     a group of entries: a folder
  entry.ico     a single entry: a note with lines of text
"""
import os
import struct
import zlib

def blank(n):
    return [[None] * n for _ in range(n)]

def fill(img, x0, y0, x1, y1, colour):
    for y in range(y0, y1 + 1):
        for x in range(x0, x1 + 1):
            if 0 <= x < len(img) and 0 <= y < len(img):
                img[y][x] = colour

def outline(img, x0, y0, x1, y1, colour, width=1):
    for i in range(width):
        fill(img, x0 + i, y0 + i, x1 - i, y0 + i, colour)
        fill(img, x0 + i, y1 - i, x1 - i, y1 - i, colour)
        fill(img, x0 + i, y0 + i, x0 + i, y1 - i, colour)
        fill(img, x1 - i, y0 + i, x1 - i, y1 - i, colour)

class Grid:
    """The 16 x 16 design grid laid over an n x n image: cell c covers the
    pixels from round(c * n / 16) up to the start of cell c + 1, so that every
    size keeps the same shapes and the cells still meet without gaps."""
    def __init__(self, n):
        self.n = n
        self.f = n / 16
        self.line = max(1, round(self.f / 2))   # the width of an outline
    def px(self, c):
        return int(c * self.f + 0.5)
    def cells(self, img, c0, r0, c1, r1, colour):
        fill(img, self.px(c0), self.px(r0), self.px(c1 + 1) - 1, self.px(r1 + 1) - 1, colour)
    def frame(self, img, c0, r0, c1, r1, colour):
        outline(img, self.px(c0), self.px(r0), self.px(c1 + 1) - 1, self.px(r1 + 1) - 1, colour,
                self.line)

INK = (40, 40, 60)

def app_icon(n):
    g = Grid(n)
    img = blank(n)
    blue, light = (30, 90, 200), (250, 250, 255)
    g.cells(img, 1, 2, 14, 10, blue)
    g.cells(img, 2, 3, 13, 9, light)
    # tail of the bubble: three cells high, narrowing downwards
    top, rows = g.px(11), g.px(14) - g.px(11)
    for i in range(rows):
        fill(img, g.px(3) + i // 2, top + i, g.px(5) - 1 - i // 3, top + i, blue)
    # a quotation mark: two commas
    for c in (5, 9):
        g.cells(img, c, 4, c + 1, 5, blue)
        g.cells(img, c + 1, 6, c + 1, 7, blue)
    return img

def group_icon(n):
    g = Grid(n)
    img = blank(n)
    yellow, dark = (240, 200, 70), (170, 120, 20)
    g.cells(img, 1, 3, 6, 4, dark)
    g.cells(img, 1, 5, 14, 13, yellow)
    g.frame(img, 1, 5, 14, 13, dark)
    return img

def entry_icon(n):
    g = Grid(n)
    img = blank(n)
    paper = (255, 255, 245)
    g.cells(img, 3, 1, 12, 14, paper)
    g.frame(img, 3, 1, 12, 14, INK)
    # lines of text, thinner than a cell from 32 pixels on
    for row in (4, 7, 10):
        y = g.px(row)
        fill(img, g.px(5), y, g.px(11) - 1, y + max(1, (g.px(row + 1) - y) // 2) - 1, (90, 110, 160))
    return img

def png(img):
    n = len(img)
    rows = bytearray()
    for y in range(n):
        rows.append(0)  # no filter
        for x in range(n):
            c = img[y][x]
            rows += bytes((c[0], c[1], c[2], 255)) if c else b'\0\0\0\0'
    def chunk(kind, data):
        return struct.pack('>I', len(data)) + kind + data + struct.pack('>I', zlib.crc32(kind + data))
    return (b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', n, n, 8, 6, 0, 0, 0)) +
            chunk(b'IDAT', zlib.compress(bytes(rows), 9)) + chunk(b'IEND', b''))

def write_ico(path, images):
    blobs = [png(img) for img in images]
    out = bytearray(struct.pack('<HHH', 0, 1, len(blobs)))
    offset = 6 + 16 * len(blobs)
    for img, blob in zip(images, blobs):
        n = len(img)
        out += struct.pack('<BBBBHHII', n, n, 0, 0, 1, 32, len(blob), offset)
        offset += len(blob)
    for blob in blobs:
        out += blob
    with open(path, 'wb') as f:
        f.write(out)

SIZES = (16, 20, 24, 32, 40, 48)

here = os.path.dirname(os.path.abspath(__file__))
for name, draw in (('quipmark.ico', app_icon), ('group.ico', group_icon), ('entry.ico', entry_icon)):
    write_ico(os.path.join(here, name), [draw(n) for n in SIZES])
