#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""svg_check.py FILE.svg: parses the picture as XML, exits 1 unless it is a
scalable SVG without scripts in a sans-serif font of at least 12 units, and
prints in its own data coordinates (from the labelled ticks) the frame's
corners "frame X0 Y0 X1 Y1", each point "point X Y", each line "level Y".
svg_check.py --png FILE.png: "inked SHARE", the share of pixels that are not white."""
import struct
import sys
import xml.etree.ElementTree as ET
import zlib

NS = "{http://www.w3.org/2000/svg}"


def fail(why):
    print(why, file=sys.stderr)
    sys.exit(1)


def axis(root, name):
    """A function from picture coordinate to data value, from two ticks."""
    group = root.find(f".//{NS}g[@class='{name}ticks']")
    log = group.get("data-scale") == "log"
    ticks = [(float(t.get(name)), float(t.text)) for t in group.iter(f"{NS}text")]
    (p0, v0), (p1, v1) = ticks[0], ticks[-1]
    if log:
        v0, v1 = map(__import__("math").log10, (v0, v1))
    def value(p):
        v = v0 + (p - p0) * (v1 - v0) / (p1 - p0)
        return 10 ** v if log else v
    return value


def svg(path):
    root = ET.parse(path).getroot()
    if root.tag != NS + "svg" or not root.get("viewBox"):
        fail("not an SVG with a viewBox")
    if "sans-serif" not in root.get("font-family", ""):
        fail("no sans-serif font")
    for e in root.iter():
        if e.tag == NS + "script" or any(a.startswith("on") for a in e.attrib):
            fail("a script in the picture")
        if e.tag == NS + "text" and float(e.get("font-size", root.get("font-size"))) < 12:
            fail("text smaller than 12")
        if any(w in v.lower() for v in e.attrib.values() for w in ("nan", "inf")):
            fail("a coordinate that is not finite")
    x, y = axis(root, "x"), axis(root, "y")
    frame = root.find(f"{NS}rect[@class='frame']")
    fx, fy = float(frame.get("x")), float(frame.get("y"))
    fw, fh = float(frame.get("width")), float(frame.get("height"))
    print("frame", x(fx), y(fy + fh), x(fx + fw), y(fy))
    for c in root.iter(f"{NS}circle"):
        if c.get("class") == "point":
            if not (fx <= float(c.get("cx")) <= fx + fw and fy <= float(c.get("cy")) <= fy + fh):
                fail("a point outside the frame")
            print("point", x(float(c.get("cx"))), y(float(c.get("cy"))))
    for line in root.iter(f"{NS}line"):
        if line.get("class") == "level":
            print("level", y(float(line.get("y1"))))


def png(path):
    data = open(path, "rb").read()
    width, height, depth, colour = struct.unpack(">IIBB", data[16:26])
    if depth != 8 or colour not in (2, 6):
        fail("not 8-bit RGB or RGBA")
    channels = 3 if colour == 2 else 4
    raw, pos = b"", 8
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        if kind == b"IDAT":
            raw += data[pos + 8:pos + 8 + length]
        pos += 12 + length
    raw = zlib.decompress(raw)
    stride = width * channels
    prev, inked = bytearray(stride), 0
    for row in range(height):
        kind = raw[row * (stride + 1)]
        line = bytearray(raw[row * (stride + 1) + 1:(row + 1) * (stride + 1)])
        for i in range(stride if kind else 0):  # undo the row filter
            a = line[i - channels] if i >= channels else 0
            b, c = prev[i], prev[i - channels] if i >= channels else 0
            if kind == 1:
                pred = a
            elif kind == 2:
                pred = b
            elif kind == 3:
                pred = (a + b) // 2
            else:  # Paeth
                pa, pb, pc = abs(b - c), abs(a - c), abs(a + b - 2 * c)
                pred = a if pa <= pb and pa <= pc else b if pb <= pc else c
            line[i] = (line[i] + pred) & 255
        for i in range(0, stride, channels):
            px = line[i:i + channels]
            opaque = channels == 3 or px[3] > 0
            inked += opaque and min(px[:3]) < 250
        prev = line
    print("inked", inked / (width * height))


if __name__ == "__main__":
    png(sys.argv[2]) if sys.argv[1] == "--png" else svg(sys.argv[1])
