#!/usr/bin/env python3
"""Writes the three 32x32 XPM pictures of the tray program.

A pale-yellow disc shaded from the upper left carries a clock figure (rim
ticks, two hands) in the accent colour; the background is transparent. The
pictures differ only in the accent colour. 49 colours: transparent, 47 shades
of the disc, the accent. Run once; the output is committed.
"""
import math

SIZE = 32
SHADES = 47
CHARS = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTU"  # 47 shade characters
assert len(CHARS) == SHADES


def shade_colour(i):
    # From a deep straw yellow (0) to almost white (46).
    t = i / (SHADES - 1)
    lo, hi = (0xE0, 0xC0, 0x50), (0xFF, 0xFC, 0xE8)
    return "#%02X%02X%02X" % tuple(round(a + (b - a) * t) for a, b in zip(lo, hi))


def figure(x, y):
    """True where the clock figure covers the pixel centre."""
    cx = cy = (SIZE - 1) / 2.0
    dx, dy = x - cx, y - cy
    r = math.hypot(dx, dy)
    # Twelve ticks near the rim, longer at 12, 3, 6 and 9.
    ang = math.degrees(math.atan2(dx, -dy)) % 360
    for k in range(12):
        a = k * 30
        d = min(abs(ang - a), 360 - abs(ang - a))
        inner = 9.5 if k % 3 == 0 else 11.0
        if inner <= r <= 13.0 and d * math.pi / 180 * r < 0.9:
            return True
    # Hands: minute hand to 12, hour hand to 4 o'clock; a hub.
    def on_segment(ax, ay, length, width):
        ux, uy = math.sin(math.radians(ax)), -math.cos(math.radians(ax))
        along = dx * ux + dy * uy
        across = abs(-dx * uy + dy * ux)
        return -1.0 <= along <= length and across <= width

    if on_segment(0, 0, 10.0, 1.0) or on_segment(120, 0, 7.0, 1.3):
        return True
    return r <= 2.0


def write(name, var, accent):
    cx = cy = (SIZE - 1) / 2.0
    rows = []
    for y in range(SIZE):
        row = ""
        for x in range(SIZE):
            dx, dy = x - cx, y - cy
            r = math.hypot(dx, dy)
            if r > 15.2:
                row += " "
            elif figure(x, y):
                row += "."
            else:
                # Light from the upper left, darker towards the lower right rim.
                lx, ly = dx + 6, dy + 6
                t = 1.0 - min(1.0, math.hypot(lx, ly) / 24.0)
                t = t * 0.85 + 0.15 * (1.0 - r / 15.2)
                row += CHARS[max(0, min(SHADES - 1, round(t * (SHADES - 1))))]
        rows.append(row)
    lines = ['"%d %d %d 1",' % (SIZE, SIZE, SHADES + 2), '"  c None",', '". c %s",' % accent]
    lines += ['"%s c %s",' % (c, shade_colour(i)) for i, c in enumerate(CHARS)]
    lines += ['"%s",' % r for r in rows[:-1]] + ['"%s"' % rows[-1]]
    with open(name, "w") as f:
        f.write("/* XPM */\nstatic const char* const %s[] = {\n" % var)
        f.write("\n".join(lines) + "\n};\n")


write("working.xpm", "working_xpm", "#004000")
write("sleeping.xpm", "sleeping_xpm", "#FF0000")
write("window.xpm", "window_xpm", "#004000")
