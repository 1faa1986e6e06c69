#!/usr/bin/python3
"""Usage: lmdb_consumer.py ENV LINES_DIR MIN_WIDTH MIN_HEIGHT TITLE...

Reads the LMDB environment ENV as recogniser training code does (python3-lmdb, Pillow) and
compares it with the line crops and labels that `export --format lines` wrote for the same
pages into LINES_DIR: sample n must be the n-th line, in the order of the TITLEs and then of
their lines, that has a PNG there at least MIN_WIDTH x MIN_HEIGHT pixels in size. Prints the
number of samples; exits 1 with the differences when there are any.
"""
import io
import os
import sys

import lmdb
from PIL import Image


def expected_samples(lines, titles, min_width, min_height):
    """(PNG path, label path) of every line that should be a sample, in order."""
    for title in titles:
        number = 1
        while os.path.exists(os.path.join(lines, f"{title}_{number:03d}.gt.txt")):
            stem = os.path.join(lines, f"{title}_{number:03d}")
            if os.path.exists(stem + ".png"):
                with Image.open(stem + ".png") as image:
                    if image.width >= min_width and image.height >= min_height:
                        yield stem + ".png", stem + ".gt.txt"
            number += 1


def differences(env, txn, lines, min_width, min_height, titles):
    wanted = list(expected_samples(lines, titles, min_width, min_height))
    count = int(txn.get(b"num-samples"))
    if count != len(wanted):
        yield f"num-samples is {count}, the lines export has {len(wanted)}"
    if env.stat()["entries"] != 2 * count + 1:
        yield f"{env.stat()['entries']} entries for {count} samples"
    for number, (png, gt) in enumerate(wanted[:count], 1):
        stored = txn.get(b"image-%09d" % number)
        with open(png, "rb") as crop:
            written = crop.read()
        with Image.open(io.BytesIO(stored)) as image, Image.open(png) as reference:
            if (image.mode, image.size, image.tobytes()) != (
                    reference.mode, reference.size, reference.tobytes()):
                yield f"image {number} differs from {png}"
        if stored != written:
            yield f"image {number} is other PNG bytes than {png}"
        with open(gt, "rb") as label:
            # Training code decodes labels as UTF-8.
            if txn.get(b"label-%09d" % number).decode("utf-8").encode("utf-8") != label.read():
                yield f"label {number} differs from {gt}"


def main():
    environment, lines, min_width, min_height, *titles = sys.argv[1:]
    env = lmdb.open(environment, readonly=True, lock=False)
    with env.begin() as txn:
        found = list(differences(env, txn, lines, int(min_width), int(min_height), titles))
        print(int(txn.get(b"num-samples")))
    for difference in found:
        print(difference, file=sys.stderr)
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main())
