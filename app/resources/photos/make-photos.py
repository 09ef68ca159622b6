#!/usr/bin/env python3
"""Draws the stylised portraits of the sample persons as SVG files.

Run from this folder: ./make-photos.py, then render each SVG to a 240x240 JPEG with any SVG
renderer (rsvg-convert, Inkscape, or Qt's QImageReader). The SVG and JPEG files are committed;
the build copies the JPEGs beside the program, where the sample persons' PHOTO paths point.
"""
# name, background top, background bottom, skin, hair, shirt, hair style
PEOPLE = [
    ("alice",  "#cfe3f7", "#8fb8e6", "#f2c9a5", "#6b3e26", "#2f6db5", "long"),
    ("bruno",  "#dfe9d8", "#a9c79a", "#e8b98f", "#3b2f2a", "#5a6b7d", "short"),
    ("chen",   "#f3e3cf", "#e2bf92", "#eccaa0", "#1d1b1a", "#2e9e5b", "short"),
    ("dana",   "#e9dcf2", "#c1a3d9", "#f4d2b8", "#c0502e", "#b33a3a", "bob"),
    ("elena",  "#f7dede", "#e7a9a9", "#d9a47c", "#2a1d17", "#e0a800", "long"),
    ("lin",    "#dcecef", "#9ccbd3", "#f0cfae", "#2b2422", "#3d4f8f", "bun"),
    ("samuel", "#e4e4ee", "#aeb1cf", "#8a5a3b", "#1a1413", "#c86f2d", "short"),
]

HAIR = {
    "short": '<path d="M78 92c0-30 20-48 42-48s42 18 42 48c-8-14-22-22-42-22s-34 8-42 22z" fill="{h}"/>',
    "long": '<path d="M70 150c-6-60 14-104 50-104s56 44 50 104c-6-6-10-30-12-52-8 10-24 14-38 14s-30-4-38-14c-2 22-6 46-12 52z" fill="{h}"/>',
    "bob": '<path d="M72 128c-4-50 16-82 48-82s52 32 48 82c-6-2-8-22-8-38-10 6-24 8-40 8s-30-2-40-8c0 16-2 36-8 38z" fill="{h}"/>',
    "bun": '<circle cx="120" cy="40" r="16" fill="{h}"/><path d="M78 96c0-30 20-46 42-46s42 16 42 46c-10-14-24-20-42-20s-32 6-42 20z" fill="{h}"/>',
}

for name, top, bottom, skin, hair, shirt, style in PEOPLE:
    svg = f'''<svg xmlns="http://www.w3.org/2000/svg" width="240" height="240" viewBox="0 0 240 240">
<defs><linearGradient id="bg" x1="0" y1="0" x2="0" y2="1">
<stop offset="0" stop-color="{top}"/><stop offset="1" stop-color="{bottom}"/></linearGradient></defs>
<rect width="240" height="240" fill="url(#bg)"/>
<path d="M34 240c4-48 40-72 86-72s82 24 86 72z" fill="{shirt}"/>
<path d="M104 150h32v26c-6 8-26 8-32 0z" fill="{skin}"/>
<ellipse cx="120" cy="104" rx="40" ry="48" fill="{skin}"/>
{HAIR[style].format(h=hair)}
<ellipse cx="105" cy="106" rx="4" ry="4.5" fill="#2a2320"/>
<ellipse cx="135" cy="106" rx="4" ry="4.5" fill="#2a2320"/>
<path d="M108 130c7 6 17 6 24 0" fill="none" stroke="#8a4b3a" stroke-width="3" stroke-linecap="round"/>
</svg>'''
    with open(f"{name}.svg", "w") as f:
        f.write(svg)
