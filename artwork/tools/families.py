#!/usr/bin/env python3
"""Writes the SVG of one picture of a family drawn from a template in artwork/families/:
the Q, DEPTH and FREQ knob frames, the rear-panel knob strip and the nine step-strip pictures.

    families.py --names          lists the pictures this script makes
    families.py NAME OUT.svg     writes picture NAME
"""
import bisect
import math
import os
import re
import sys

TEMPLATES = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "families")

KNOB_WIDTH, KNOB_HEIGHT = 118, 86
KNOB_CENTRE = (59.0, 47.0)
SWEEP = 135.0                      # the scale runs from -135 to +135 degrees (0 = straight up)
TICK_INNER, TICK_MINOR, TICK_MAJOR = 20.5, 23.0, 25.0

# The FREQ knob shows frame k for values up to FREQ_THRESHOLDS[k-1]; above the last, frame 32.
FREQ_THRESHOLDS = [40, 43, 45, 47, 49, 51, 53, 55, 57, 59, 62, 65, 67, 69, 74, 79,
                   84, 88, 93, 98, 104, 109, 118, 135, 155, 170, 190, 210, 230, 250, 270]
FREQ_FRAMES = 32
FREQ_NUMBERS = [40, 50, 60, 70, 100, 150, 200, 280]
FREQ_MINOR_TICKS = [45, 55, 65, 80, 90, 120]
STEP_FRAMES = 6


def frame_angle(frame, frames):
    """A filmstrip turns the knob in equal steps, first frame fully left, last fully right."""
    return -SWEEP + 2 * SWEEP * (frame - 1) / (frames - 1)


def freq_frame_values():
    """The frequency under the pointer of each FREQ frame: the middle of the values that pick
    the frame, except the two ends, which sit on the end stops 40 and 280."""
    values = [40.0]
    for k in range(2, FREQ_FRAMES):
        values.append((FREQ_THRESHOLDS[k - 2] + FREQ_THRESHOLDS[k - 1]) / 2)
    values.append(280.0)
    return values


def freq_angle(hz):
    """Where a frequency is printed: linear between the values of neighbouring frames, so every
    frame's pointer sits exactly on the value that selects it. 40-70 Hz take about half the turn."""
    values = freq_frame_values()
    i = min(max(bisect.bisect_right(values, hz), 1), len(values) - 1)
    lo, hi = values[i - 1], values[i]
    frame = i + (hz - lo) / (hi - lo)
    return frame_angle(frame, FREQ_FRAMES)


def polar(angle, radius):
    cx, cy = KNOB_CENTRE
    a = math.radians(angle)
    return cx + radius * math.sin(a), cy - radius * math.cos(a)


def tick(angle, outer, width, colour):
    (x1, y1), (x2, y2) = polar(angle, TICK_INNER), polar(angle, outer)
    return (f'<line x1="{x1:.2f}" y1="{y1:.2f}" x2="{x2:.2f}" y2="{y2:.2f}" '
            f'stroke="{colour}" stroke-width="{width}"/>')


def number(angle, text):
    """Numbers beside the scale read outwards from the tick: left-aligned on the right-hand
    side, right-aligned on the left, centred above and below."""
    side = math.sin(math.radians(angle))
    if abs(side) > 0.5:
        x, y = polar(angle, 27.5)
        anchor = "start" if side > 0 else "end"
    else:
        x, y = polar(angle, 31.0)
        anchor = "middle"
    return f'<text x="{x:.2f}" y="{y + 3:.2f}" text-anchor="{anchor}">{text}</text>'


def knob_scale(kind):
    parts = []
    if kind == "FREQ":
        parts += [tick(freq_angle(hz), TICK_MINOR, 1, "#8C8C8C") for hz in FREQ_MINOR_TICKS]
        for hz in FREQ_NUMBERS:
            parts += [tick(freq_angle(hz), TICK_MAJOR, 1.2, "#E6E6E6"), number(freq_angle(hz), hz)]
    else:
        for step in range(1, STEP_FRAMES + 1):
            angle = frame_angle(step, STEP_FRAMES)
            parts += [tick(angle, TICK_MAJOR, 1.2, "#E6E6E6"), number(angle, step)]
    return "\n    ".join(parts)


def knob_group(kind, angle):
    with open(os.path.join(TEMPLATES, "knob.svg.in")) as f:
        template = f.read()
    cx, cy = KNOB_CENTRE
    fields = {"LABEL": kind, "UNIT": "Hz" if kind == "FREQ" else "", "SCALE": knob_scale(kind), "ANGLE": f"{angle:.3f}",
              "CX": f"{cx:g}", "CY": f"{cy:g}", "POINTER_X": f"{cx - 1.2:g}", "POINTER_Y": f"{cy - 15:g}"}
    return re.sub(r"@([A-Z_]+)@", lambda m: fields[m.group(1)], template)


def knob_defs():
    with open(os.path.join(TEMPLATES, "knobDefs.svg.in")) as f:
        return f.read()


def svg_root(width, height, body):
    return (f'<svg xmlns="http://www.w3.org/2000/svg" width="{width}" height="{height}" '
            f'viewBox="0 0 {width} {height}">\n{body}\n</svg>\n')


def knob_frame(kind, frame):
    if kind == "FREQ":
        angle = frame_angle(frame, FREQ_FRAMES)
    else:
        angle = frame_angle(frame, STEP_FRAMES)
    return svg_root(KNOB_WIDTH, KNOB_HEIGHT, knob_defs() + knob_group(kind, angle))


def knob_strip():
    """The rear-panel strip behind the three knobs, each shown at its lowest setting."""
    width, height = 366, 86
    # The gaps between the knobs carry the knobs' own shading, so no seam shows at their edges.
    body = [knob_defs(), f'<rect width="{width}" height="{height}" fill="url(#panel)"/>']
    for x, kind in ((0, "Q"), (123, "FREQ"), (246, "DEPTH")):
        body.append(f'<g transform="translate({x} 0)">{knob_group(kind, -SWEEP)}</g>')
    for x in (120.5, 243.5):
        body.append(f'<line x1="{x}" y1="8" x2="{x}" y2="78" stroke="#3A3A3D" stroke-width="1"/>')
    return svg_root(width, height, "\n".join(body))


def slider_step(marked):
    count, gap, slant, height = 9, 2, 4, 9
    width = (281 - slant - gap * (count - 1)) / count
    segments = []
    for i in range(1, count + 1):
        x = (i - 1) * (width + gap)
        paint = "url(#grey)" if i == marked else "url(#gold)"
        points = f"{x:.2f},{height} {x + slant:.2f},0 {x + slant + width:.2f},0 {x + width:.2f},{height}"
        segments.append(f'  <polygon points="{points}" fill="{paint}"/>')
    with open(os.path.join(TEMPLATES, "sliderStep.svg.in")) as f:
        return f.read().replace("@SEGMENTS@", "\n".join(segments))


def pictures():
    made = {}
    for step in range(1, STEP_FRAMES + 1):
        made[f"qKnobFrame{step}"] = lambda s=step: knob_frame("Q", s)
        made[f"depthKnobFrame{step}"] = lambda s=step: knob_frame("DEPTH", s)
    for frame in range(1, FREQ_FRAMES + 1):
        made[f"freqKnobFrame{frame:02d}"] = lambda f=frame: knob_frame("FREQ", f)
    made["speakerSettingBackground"] = knob_strip
    for step in range(1, 10):
        made[f"sliderStep{step}"] = lambda s=step: slider_step(s)
    return made


def main():
    made = pictures()
    if sys.argv[1:] == ["--names"]:
        print("\n".join(made))
        return
    if len(sys.argv) != 3 or sys.argv[1] not in made:
        sys.exit("usage: families.py --names | families.py NAME OUT.svg")
    with open(sys.argv[2], "w") as f:
        f.write(made[sys.argv[1]]())


if __name__ == "__main__":
    main()
