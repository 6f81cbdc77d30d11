#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""svg_check.py FILE.svg [FILE.png]: parses the picture as XML, exits 1
unless it is a scalable SVG without scripts in a sans-serif font of at least
12 units, with every line of text inside the picture, a label "×k" or a
tooltip for each marker that stands for k points, the labels clear of one
another and of the circles, and each marker on a line at least 1.5 times
the line's width in radius; and prints its words and, in its own
data coordinates (from the labelled ticks), its items: "title TEXT", the
frame's corners "frame X0 Y0 X1 Y1", each marker "point X Y
RADIUS COUNT" (radius in picture units), each line "level Y", each legend
entry "legend KIND TEXT".
With FILE.png, the picture rendered: "inked SHARE", the share of pixels that
are not white, and "edge SHARE", that share within two pixels of the left
and right edges (text that runs past them: a long title, a legend's row)."""
import math
import re
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
        v0, v1 = map(math.log10, (v0, v1))
    def value(p):
        v = v0 + (p - p0) * (v1 - v0) / (p1 - p0)
        return 10 ** v if log else v
    return value


def text(e):
    return "".join(e.itertext())


def check(root):
    if root.tag != NS + "svg" or not root.get("viewBox"):
        fail("not an SVG with a viewBox")
    if "sans-serif" not in root.get("font-family", ""):
        fail("no sans-serif font")
    _, _, width, height = map(float, root.get("viewBox").split())
    for e in root.iter():
        if e.tag == NS + "script" or any(a.startswith("on") for a in e.attrib):
            fail("a script in the picture")
        if e.tag == NS + "text" and float(e.get("font-size", root.get("font-size"))) < 12:
            fail("text smaller than 12")
        if e.tag == NS + "text" and e.get("y") is not None and not (
                0 < float(e.get("y")) <= height and 0 <= float(e.get("x")) <= width):
            fail("a line of text outside the picture: " + text(e))
        if any(w in v.lower() for v in e.attrib.values() for w in ("nan", "inf")):
            fail("a coordinate that is not finite")
    counts = sorted(int(c.get("data-count")) for c in root.iter(f"{NS}circle") if c.get("data-count"))
    shown = [t for t in root.iter(f"{NS}text") if t.get("class") == "count"]
    labels = sorted(int(re.sub(r"\D", "", text(t))) for t in shown + list(root.iter(f"{NS}title")))
    if counts != labels or 1 in counts:
        fail(f"markers of several points {counts}, labels and tooltips {labels}")
    boxes = [(float(t.get("x")), float(t.get("y")) - 8.4, float(t.get("x")) + 7.2 * len(text(t)), float(t.get("y")))
             for t in shown]  # glyphs of 12 units, from below
    for i, a in enumerate(boxes):
        if any(a[0] < b[2] and b[0] < a[2] and a[1] < b[3] and b[1] < a[3] for b in boxes[:i]):
            fail("labels over one another")
        for c in root.iter(f"{NS}circle"):
            if c.get("class") == "circle":
                x, y, r = (float(c.get(k)) for k in ("cx", "cy", "r"))
                near = math.hypot(max(a[0] - x, 0, x - a[2]), max(a[1] - y, 0, y - a[3]))
                if near < r < math.hypot(max(abs(x - a[0]), abs(x - a[2])), max(abs(y - a[1]), abs(y - a[3]))):
                    fail("a label over a circle")
    for line in root.iter(f"{NS}line"):
        for c in root.iter(f"{NS}circle"):
            w = float(line.get("stroke-width", 1))
            if line.get("class") == "level" and c.get("class") == "point" and \
                    abs(float(c.get("cy")) - float(line.get("y1"))) <= w / 2 and float(c.get("r")) < 1.5 * w:
                fail("a marker hidden by a line")
    return width, height


def svg(path):
    root = ET.parse(path).getroot()
    check(root)
    print("title", text(root.find(f"{NS}text[@class='title']")))
    x, y = axis(root, "x"), axis(root, "y")
    frame = root.find(f"{NS}rect[@class='frame']")
    fx, fy = float(frame.get("x")), float(frame.get("y"))
    fw, fh = float(frame.get("width")), float(frame.get("height"))
    print("frame", x(fx), y(fy + fh), x(fx + fw), y(fy))
    for c in root.iter(f"{NS}circle"):
        if c.get("class") == "point":
            if not (fx <= float(c.get("cx")) <= fx + fw and fy <= float(c.get("cy")) <= fy + fh):
                fail("a point outside the frame")
            print("point", x(float(c.get("cx"))), y(float(c.get("cy"))), c.get("r"), c.get("data-count", "1"))
    for line in root.iter(f"{NS}line"):
        if line.get("class") == "level":
            if not fy <= float(line.get("y1")) <= fy + fh:
                fail("a level outside the frame")
            print("level", y(float(line.get("y1"))))
    for entry in root.iter(f"{NS}g"):
        if entry.get("class") == "legend-entry":
            print("legend", entry.get("data-kind"), text(entry.find(f"{NS}text")))


def pixels(path):
    """The rows of an 8-bit RGB or RGBA PNG, each a list of (r, g, b, opaque)."""
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
    prev, rows = bytearray(stride), []
    for row in range(height):
        kind = raw[row * (stride + 1)]
        line = bytearray(raw[row * (stride + 1) + 1:(row + 1) * (stride + 1)])
        for i in range(stride if kind else 0):  # undo the row filter
            a = line[i - channels] if i >= channels else 0
            b, c = prev[i], prev[i - channels] if i >= channels else 0
            paeth = min((a, b, c), key=lambda v: abs(a + b - c - v))  # the first of a, b, c nearest
            line[i] = (line[i] + (0, a, b, (a + b) // 2, paeth)[kind]) & 255
        rows.append([(channels == 3 or line[i + 3] > 0) and min(line[i:i + 3]) < 250
                     for i in range(0, stride, channels)])
        prev = line
    return rows


def png(path):
    rows = pixels(path)
    height, width = len(rows), len(rows[0])
    print("inked", sum(map(sum, rows)) / (width * height))
    edges = [row[k] for row in rows for k in (0, 1, width - 2, width - 1)]
    print("edge", sum(edges) / len(edges))


if __name__ == "__main__":
    svg(sys.argv[1])
    if len(sys.argv) > 2:
        png(sys.argv[2])
