#!/usr/bin/env python3
"""Draws the three icons of Quipmark (16x16 and 32x32, 32-bit with mask) and
writes them as .ico files beside this script.

  quipmark.ico  the application: a speech bubble holding a quotation mark
  group.ico     a group of entries: a folder
  entry.ico     a single entry: a note with lines of text
"""
import os
import struct

def blank(n):
    return [[None] * n for _ in range(n)]

def fill(img, x0, y0, x1, y1, colour):
    for y in range(y0, y1 + 1):
        for x in range(x0, x1 + 1):
            if 0 <= x < len(img) and 0 <= y < len(img):
                img[y][x] = colour

def outline(img, x0, y0, x1, y1, colour):
    fill(img, x0, y0, x1, y0, colour)
    fill(img, x0, y1, x1, y1, colour)
    fill(img, x0, y0, x0, y1, colour)
    fill(img, x1, y0, x1, y1, colour)

INK = (40, 40, 60)

def app_icon(n):
    s = n // 16
    img = blank(n)
    blue, light = (30, 90, 200), (250, 250, 255)
    fill(img, 1 * s, 2 * s, 14 * s + s - 1, 10 * s + s - 1, blue)
    fill(img, 2 * s, 3 * s, 13 * s + s - 1, 9 * s + s - 1, light)
    # tail of the bubble
    for i in range(3 * s):
        fill(img, 3 * s + i // 2, 11 * s + i, 4 * s + s - 1 - i // 3, 11 * s + i, blue)
    # a quotation mark: two commas
    for cx in (5 * s, 9 * s):
        fill(img, cx, 4 * s, cx + 2 * s - 1, 6 * s - 1, blue)
        fill(img, cx + s, 6 * s, cx + 2 * s - 1, 7 * s + s - 1, blue)
    return img

def group_icon(n):
    s = n // 16
    img = blank(n)
    yellow, dark = (240, 200, 70), (170, 120, 20)
    fill(img, 1 * s, 3 * s, 6 * s + s - 1, 4 * s + s - 1, dark)
    fill(img, 1 * s, 5 * s, 14 * s + s - 1, 13 * s + s - 1, yellow)
    outline(img, 1 * s, 5 * s, 14 * s + s - 1, 13 * s + s - 1, dark)
    return img

def entry_icon(n):
    s = n // 16
    img = blank(n)
    paper = (255, 255, 245)
    fill(img, 3 * s, 1 * s, 12 * s + s - 1, 14 * s + s - 1, paper)
    outline(img, 3 * s, 1 * s, 12 * s + s - 1, 14 * s + s - 1, INK)
    for row in (4, 7, 10):
        fill(img, 5 * s, row * s, 10 * s + s - 1, row * s + s - 1 if s > 1 else row * s, (90, 110, 160))
    return img

def dib(img):
    n = len(img)
    header = struct.pack('<IiiHHIIiiII', 40, n, 2 * n, 1, 32, 0, 0, 0, 0, 0, 0)
    pixels = bytearray()
    for y in range(n - 1, -1, -1):
        for x in range(n):
            c = img[y][x]
            pixels += bytes((c[2], c[1], c[0], 255)) if c else b'\0\0\0\0'
    stride = ((n + 31) // 32) * 4
    mask = bytearray()
    for y in range(n - 1, -1, -1):
        row = bytearray(stride)
        for x in range(n):
            if img[y][x] is None:
                row[x // 8] |= 0x80 >> (x % 8)
        mask += row
    return header + bytes(pixels) + bytes(mask)

def write_ico(path, images):
    blobs = [dib(img) for img in images]
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

here = os.path.dirname(os.path.abspath(__file__))
for name, draw in (('quipmark.ico', app_icon), ('group.ico', group_icon), ('entry.ico', entry_icon)):
    write_ico(os.path.join(here, name), [draw(16), draw(32)])
