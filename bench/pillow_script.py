#!/usr/bin/python3
"""Usage: bench/pillow_script.py export PAGE... -o DIR | render PAGE -o OUT.png

What a user with Pillow and numpy writes instead of plimdisp-cli, the yardstick of
bench/cli-vs-script: `export` writes each line as DIR/<title>_<NNN>.png with its label, decoded
from code page 936, as DIR/<title>_<NNN>.gt.txt; `render` ANDs the line images onto a white
page and saves it as a grey PNG.
"""
import os
import struct
import sys

import numpy
from PIL import Image


def read_page(path):
    """(width, height, [(label, top, left, pixels)]) of the page file at `path`."""
    with open(path, "rb") as page_file:
        data = page_file.read()
    (header_size,) = struct.unpack_from("<i", data, 0)
    (code_length,) = struct.unpack_from("<h", data, header_size - 4)
    width, height, count = struct.unpack_from("<iii", data, header_size)
    offset, lines = header_size + 12, []
    for _ in range(max(count, 0)):
        (chars,) = struct.unpack_from("<i", data, offset)
        label = data[offset + 4:offset + 4 + chars * code_length].replace(b"\0", b" ")
        offset += 4 + len(label)
        top, left, rows, columns = struct.unpack_from("<iiii", data, offset)
        offset += 16
        pixels = numpy.frombuffer(data, numpy.uint8, rows * columns, offset)
        lines.append((label.decode("gbk", "replace"), top, left, pixels.reshape(rows, columns)))
        offset += rows * columns
    return width, height, lines


def export(paths, folder):
    os.makedirs(folder, exist_ok=True)
    for path in paths:
        title = os.path.splitext(os.path.basename(path))[0]
        for number, (label, _, _, pixels) in enumerate(read_page(path)[2], 1):
            stem = os.path.join(folder, "%s_%03d" % (title, number))
            if pixels.size:
                Image.fromarray(pixels).save(stem + ".png")
            with open(stem + ".gt.txt", "w", encoding="utf-8") as text:
                text.write(label)


def render(path, out):
    width, height, lines = read_page(path)
    page = numpy.full((height, width), 255, numpy.uint8)
    for _, top, left, pixels in lines:
        y0, x0 = max(top, 0), max(left, 0)
        y1, x1 = min(top + pixels.shape[0], height), min(left + pixels.shape[1], width)
        if y0 < y1 and x0 < x1:
            page[y0:y1, x0:x1] &= pixels[y0 - top:y1 - top, x0 - left:x1 - left]
    Image.fromarray(page).save(out)


if __name__ == "__main__":
    command, arguments = sys.argv[1], sys.argv[2:]
    target = arguments[arguments.index("-o") + 1]
    inputs = [a for a in arguments if a not in ("-o", target)]
    if command == "export":
        export(inputs, target)
    else:
        render(inputs[0], target)
