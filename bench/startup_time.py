#!/usr/bin/env python3
"""Start-up time of the viewer: from process start to the first frame on the screen that shows
a page named on the command line.

Usage: bench/startup_time.py VIEWER [PAGE] [--runs N]

Starts a private X server (Xvfb, 1024 x 768 x 24), then N times: starts VIEWER with PAGE
(default samples/page01.plim), reads the screen through Xlib every few milliseconds until it
shows the page's blue label pixels (0x0000FF, which nothing else on the screen uses), and ends
the viewer with SIGTERM. Prints each run's wall time and the processor time the viewer had used
by then (user + system, in 10 ms ticks), in milliseconds, and their medians, minima and maxima.
Only the top-left 640 x 480 pixels are read (a few milliseconds on an idle machine, tens on a
loaded one), so a wall time can be late by one read; on a loaded machine the processor time is
the steadier figure.
"""
import argparse
import array
import ctypes
import ctypes.util
import os
import signal
import statistics
import subprocess
import sys
import tempfile
import time

SCREEN = (1024, 768)
# The first page window opens at the top-left of the frame, which opens at the screen's
# top-left corner; only this part of the screen is read, to keep each read short.
WATCHED = (640, 480)
LABEL_BLUE = 0x0000FF
MIN_BLUE_PIXELS = 20  # a few glyph strokes, not a stray pixel
TIMEOUT_S = 20.0
Z_PIXMAP = 2
ALL_PLANES = 0xFFFFFFFF


class XImage(ctypes.Structure):
    # The leading fields of Xlib's XImage, as far as they are read here.
    _fields_ = [
        ("width", ctypes.c_int), ("height", ctypes.c_int), ("xoffset", ctypes.c_int),
        ("format", ctypes.c_int), ("data", ctypes.c_void_p), ("byte_order", ctypes.c_int),
        ("bitmap_unit", ctypes.c_int), ("bitmap_bit_order", ctypes.c_int),
        ("bitmap_pad", ctypes.c_int), ("depth", ctypes.c_int), ("bytes_per_line", ctypes.c_int),
        ("bits_per_pixel", ctypes.c_int),
    ]


def load_xlib():
    xlib = ctypes.CDLL(ctypes.util.find_library("X11") or "libX11.so.6")
    xlib.XOpenDisplay.restype = ctypes.c_void_p
    xlib.XOpenDisplay.argtypes = [ctypes.c_char_p]
    xlib.XDefaultRootWindow.restype = ctypes.c_ulong
    xlib.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
    xlib.XGetImage.restype = ctypes.POINTER(XImage)
    xlib.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int,
                               ctypes.c_uint, ctypes.c_uint, ctypes.c_ulong, ctypes.c_int]
    xlib.XFree.argtypes = [ctypes.c_void_p]
    xlib.XCloseDisplay.argtypes = [ctypes.c_void_p]
    return xlib


def blue_pixels(xlib, display, root):
    image = xlib.XGetImage(display, root, 0, 0, WATCHED[0], WATCHED[1], ALL_PLANES, Z_PIXMAP)
    if not image:
        return 0
    header = image.contents
    if header.bits_per_pixel != 32:
        sys.exit("expected a 32-bit screen")
    pixels = array.array("I")
    pixels.frombytes(ctypes.string_at(header.data, header.bytes_per_line * header.height))
    # XDestroyImage is a macro; the image's own destroy function is its data and header.
    xlib.XFree(header.data)
    xlib.XFree(image)
    return pixels.count(LABEL_BLUE) + pixels.count(0xFF000000 | LABEL_BLUE)


def start_server():
    for number in range(140, 200):
        if os.path.exists(f"/tmp/.X11-unix/X{number}") or os.path.exists(f"/tmp/.X{number}-lock"):
            continue
        name = f":{number}"
        server = subprocess.Popen(["Xvfb", name, "-screen", "0", f"{SCREEN[0]}x{SCREEN[1]}x24",
                                   "-nolisten", "tcp"], stderr=subprocess.DEVNULL)
        return name, server
    sys.exit("no free display number")


def open_display(xlib, name):
    deadline = time.monotonic() + 10
    while time.monotonic() < deadline:
        display = xlib.XOpenDisplay(name.encode())
        if display:
            return display
        time.sleep(0.05)
    sys.exit("the X server did not start")


def processor_ms(pid):
    with open(f"/proc/{pid}/stat") as stat:
        fields = stat.read().rsplit(")", 1)[1].split()
    # utime and stime, the 14th and 15th fields, counted from the state (the 3rd).
    return (int(fields[11]) + int(fields[12])) * 1000.0 / os.sysconf("SC_CLK_TCK")


def measure_once(xlib, display, root, viewer, page, environment):
    """Wall and processor milliseconds to the first frame with the page, or None."""
    start = time.perf_counter()
    program = subprocess.Popen([viewer, page], env=environment,
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        while time.perf_counter() - start < TIMEOUT_S:
            if blue_pixels(xlib, display, root) >= MIN_BLUE_PIXELS:
                return (time.perf_counter() - start) * 1000.0, processor_ms(program.pid)
            time.sleep(0.001)
        return None
    finally:
        program.send_signal(signal.SIGTERM)
        try:
            program.wait(timeout=5)
        except subprocess.TimeoutExpired:
            program.kill()
            program.wait()


def main():
    root_dir = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("viewer")
    parser.add_argument("page", nargs="?", default=os.path.join(root_dir, "samples/page01.plim"))
    parser.add_argument("--runs", type=int, default=10)
    arguments = parser.parse_args()

    xlib = load_xlib()
    name, server = start_server()
    try:
        display = open_display(xlib, name)
        root = xlib.XDefaultRootWindow(display)
        with tempfile.TemporaryDirectory() as config:
            environment = dict(os.environ, DISPLAY=name, QT_QPA_PLATFORM="xcb",
                               XDG_CONFIG_HOME=config)
            # One run first, so the figures are of a program whose files are in the page cache.
            measure_once(xlib, display, root, arguments.viewer, arguments.page, environment)
            walls, processors = [], []
            for run in range(arguments.runs):
                measured = measure_once(xlib, display, root, arguments.viewer, arguments.page,
                                        environment)
                if measured is None:
                    sys.exit(f"run {run + 1}: the page did not show within {TIMEOUT_S:.0f} s")
                walls.append(measured[0])
                processors.append(measured[1])
                print(f"run {run + 1}: {measured[0]:.1f} ms wall, {measured[1]:.0f} ms processor")
                time.sleep(0.2)
        for name, values in (("wall", walls), ("processor", processors)):
            print(f"{name}: median {statistics.median(values):.1f} ms, min {min(values):.1f} ms, "
                  f"max {max(values):.1f} ms over {len(values)} runs")
        xlib.XCloseDisplay(display)
    finally:
        server.terminate()
        server.wait()


if __name__ == "__main__":
    main()
