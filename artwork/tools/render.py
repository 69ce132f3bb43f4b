#!/usr/bin/env python3
"""Renders one picture's SVG to the PNG that gets embedded.

The SVG must declare exactly the picture's size, so nothing is ever scaled: a wrong size fails
the build instead of blurring the picture. Opaque pictures are flattened to RGB; pictures with
alpha are always written as RGBA, even when every pixel happens to be opaque.
Without an SVG (artwork not drawn yet) a labelled placeholder plate of the right size stands in.
"""
import argparse
import os
import re
import struct
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET

PNG_SIGNATURE = b"\x89PNG\r\n\x1a\n"
COLOUR_TYPE_RGB = 2
COLOUR_TYPE_RGBA = 6


def fail(message):
    sys.exit(f"render.py: {message}")


def placeholder_svg(name, width, height):
    font = max(6, min(14, width // max(1, len(name)) * 2, height - 2))
    return f"""<svg xmlns="http://www.w3.org/2000/svg" width="{width}" height="{height}" viewBox="0 0 {width} {height}">
  <rect width="{width}" height="{height}" fill="#D8D8D8"/>
  <rect x="0.5" y="0.5" width="{width - 1}" height="{height - 1}" fill="none" stroke="#B8955B"/>
  <path d="M0 0L{width} {height}M{width} 0L0 {height}" stroke="#8C8C8C" stroke-width="1"/>
  <text x="{width / 2}" y="{height / 2 + font * 0.35:.1f}" font-family="DejaVu Sans" font-size="{font}"
        text-anchor="middle" fill="#1E1E1E">{name}</text>
</svg>
"""


def svg_size(path):
    root = ET.parse(path).getroot()

    def number(attribute):
        value = root.get(attribute)
        match = re.fullmatch(r"\s*([0-9.]+)\s*(px)?\s*", value or "")
        if not match:
            fail(f"{path}: the root element needs a plain pixel {attribute}, found {value!r}")
        return float(match.group(1))

    return number("width"), number("height"), root.get("viewBox")


def png_header(path):
    with open(path, "rb") as f:
        head = f.read(33)
    if head[:8] != PNG_SIGNATURE or head[12:16] != b"IHDR":
        fail(f"{path} is not a PNG")
    width, height, depth, colour_type = struct.unpack(">IIBB", head[16:26])
    return width, height, depth, colour_type


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--name", required=True)
    parser.add_argument("--width", type=int, required=True)
    parser.add_argument("--height", type=int, required=True)
    parser.add_argument("--alpha", choices=["yes", "no"], required=True)
    parser.add_argument("--svg", help="the picture's source; omitted: a placeholder is drawn")
    parser.add_argument("--out", required=True)
    parser.add_argument("--rsvg-convert", default="rsvg-convert")
    parser.add_argument("--convert", default="convert", help="ImageMagick's convert")
    args = parser.parse_args()

    with tempfile.TemporaryDirectory() as work:
        source = args.svg
        if source is None:
            print(f"pictures: {args.name} has no artwork yet, embedding a placeholder")
            source = os.path.join(work, f"{args.name}.svg")
            with open(source, "w") as f:
                f.write(placeholder_svg(args.name, args.width, args.height))

        width, height, view_box = svg_size(source)
        if (width, height) != (args.width, args.height):
            fail(f"{source} is {width:g} x {height:g}, the picture must be {args.width} x {args.height}")
        if view_box is not None and [float(v) for v in view_box.replace(",", " ").split()] != [0, 0, width, height]:
            fail(f"{source}: viewBox {view_box!r} would scale the drawing; use '0 0 {args.width} {args.height}'")

        raw = os.path.join(work, "raw.png")
        subprocess.run([args.rsvg_convert, "--width", str(args.width), "--height", str(args.height),
                        "--output", raw, source], check=True)

        # No time stamps, so a rebuild gives the same bytes.
        flatten = ["-background", "white", "-alpha", "remove", "-alpha", "off"] if args.alpha == "no" else []
        prefix = "PNG24:" if args.alpha == "no" else "PNG32:"
        tmp_out = args.out + ".tmp"
        subprocess.run([args.convert, raw, *flatten, "-define", "png:exclude-chunks=date,time",
                        "-strip", prefix + tmp_out], check=True)

        got = png_header(tmp_out)
        want = (args.width, args.height, 8, COLOUR_TYPE_RGBA if args.alpha == "yes" else COLOUR_TYPE_RGB)
        if got != want:
            os.remove(tmp_out)
            fail(f"{args.name}: rendered {got}, expected (width, height, depth, colour type) {want}")
        os.replace(tmp_out, args.out)


if __name__ == "__main__":
    main()
