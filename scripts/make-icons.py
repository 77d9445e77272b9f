#!/usr/bin/env python3
"""Draws the program's icons and button pictures into data/images/.

Every picture is designed once on a 64 x 64 grid as ImageMagick drawing primitives (MVG) and
rendered at each size a screen asks for, so the large and the small icon set match.
Called by scripts/make-images; needs ImageMagick's `convert`.
"""
import os
import subprocess
import sys

OUT = sys.argv[1] if len(sys.argv) > 1 else os.path.join(
    os.path.dirname(os.path.abspath(__file__)), "..", "data", "images")

NAVY, BLUE, SKY = "#1f3a5f", "#2f6fb3", "#8fc1ee"
GREEN, DKGREEN = "#2e9e44", "#1d6b2d"
RED, DKRED = "#d93a2b", "#8f1f16"
AMBER, GREY, LIGHT = "#f0a020", "#5a6270", "#f4f6f8"


def stroke(colour, width):
    return f"fill none stroke '{colour}' stroke-width {width} stroke-linecap round stroke-linejoin round\n"


def fill(colour, outline=None, width=2):
    if outline:
        return f"fill '{colour}' stroke '{outline}' stroke-width {width} stroke-linejoin round\n"
    return f"fill '{colour}' stroke none\n"


def arrow(angle, colour=BLUE, tile=True):
    """A fat arrow pointing right, turned by `angle` degrees, on a rounded tile."""
    body = ""
    if tile:
        body += fill(LIGHT, GREY, 2) + "roundrectangle 3,3 61,61 10,10\n"
    body += "push graphic-context\ntranslate 32,32\nrotate %d\n" % angle
    body += fill(colour, NAVY, 2)
    body += "path 'M -20,-8 L 2,-8 L 2,-20 L 22,0 L 2,20 L 2,8 L -20,8 Z'\n"
    body += "pop graphic-context\n"
    return body


def check():
    return (fill(GREEN, DKGREEN, 2) + "circle 32,32 32,3\n" + stroke("white", 8) +
            "polyline 17,33 28,44 47,21\n")


def cross_mark():
    return (fill(RED, DKRED, 2) + "circle 32,32 32,3\n" + stroke("white", 8) +
            "line 21,21 43,43\nline 43,21 21,43\n")


def plus_mark(colour=GREEN, dark=DKGREEN):
    return (fill(colour, dark, 2) + "circle 32,32 32,3\n" + stroke("white", 8) +
            "line 32,17 32,47\nline 17,32 47,32\n")


def minus_mark():
    return fill(BLUE, NAVY, 2) + "circle 32,32 32,3\n" + stroke("white", 8) + "line 17,32 47,32\n"


def home():
    return (fill(SKY, NAVY, 3) + "polygon 12,30 32,11 52,30 52,56 12,56\n" +
            fill(RED, DKRED, 3) + "polygon 5,33 32,7 59,33 53,38 32,18 11,38\n" +
            fill(NAVY) + "roundrectangle 26,38 38,56 2,2\n" +
            fill(LIGHT, NAVY, 2) + "rectangle 41,39 48,46\n")


def edit():
    return (fill("white", GREY, 3) + "polygon 10,6 40,6 50,16 50,58 10,58\n" +
            stroke(SKY, 3) + "line 17,22 40,22\nline 17,31 40,31\nline 17,40 30,40\n" +
            "push graphic-context\ntranslate 40,36\nrotate 45\n" +
            fill(AMBER, "#8a5a00", 2) + "rectangle -6,-22 6,12\n" +
            fill("#f3d7a6", "#8a5a00", 2) + "polygon -6,12 6,12 0,24\n" +
            fill(RED, DKRED, 2) + "rectangle -6,-28 6,-22\n" +
            "pop graphic-context\n")


def search():
    return (stroke(NAVY, 10) + "line 40,40 57,57\n" + fill("#dff0ff", NAVY, 5) +
            "circle 26,26 26,6\n" + stroke("white", 4) + "path 'M 15,22 A 12,12 0 0,1 24,14'\n")


def zigzag():
    return (fill(LIGHT, GREY, 2) + "roundrectangle 3,3 61,61 10,10\n" + stroke(NAVY, 5) +
            "polyline 8,44 17,20 26,44 35,20 44,44 53,20 58,32\n")


def start():
    return (fill(GREEN, DKGREEN, 3) + "circle 32,32 32,3\n" + fill("white") +
            "polygon 24,16 24,48 50,32\n")


def stop():
    return (fill(RED, DKRED, 3) +
            "polygon 20,4 44,4 60,20 60,44 44,60 20,60 4,44 4,20\n" + fill("white") +
            "roundrectangle 20,20 44,44 3,3\n")


def stitch():
    return (fill(LIGHT, GREY, 2) + "roundrectangle 3,3 61,61 10,10\n" +
            stroke(NAVY, 4) + "line 44,6 44,36\n" + fill(GREY, NAVY, 1) +
            "polygon 41,36 47,36 44,44\n" + "fill none stroke '%s' stroke-width 5 "
            "stroke-dasharray 8,5 stroke-linecap butt\n" % RED +
            "path 'M 6,52 Q 22,36 40,50 T 58,46'\n")


def padlock(axis):
    body = (fill(LIGHT, GREY, 2) + "roundrectangle 3,3 61,61 10,10\n" + stroke(GREY, 5) +
            "path 'M 22,30 L 22,22 A 10,10 0 0,1 42,22 L 42,30'\n" + fill(AMBER, "#8a5a00", 2) +
            "roundrectangle 15,29 49,55 4,4\n" + stroke(NAVY, 4))
    if axis == "h":
        body += ("line 21,42 43,42\n" + fill(NAVY) +
                 "polygon 18,42 25,36 25,48\npolygon 46,42 39,36 39,48\n")
    else:
        body += ("line 32,33 32,51\n" + fill(NAVY) +
                 "polygon 32,30 26,37 38,37\npolygon 32,54 26,47 38,47\n")
    return body


def plain_lock():
    return (stroke(GREY, 6) + "path 'M 20,30 L 20,20 A 12,12 0 0,1 44,20 L 44,30'\n" +
            fill(AMBER, "#8a5a00", 3) + "roundrectangle 11,28 53,58 5,5\n" +
            fill(NAVY) + "circle 32,40 32,45\nrectangle 30,42 34,51\n")


def dropdown():
    return (fill(LIGHT, GREY, 2) + "roundrectangle 3,3 61,61 10,10\n" + stroke(NAVY, 6) +
            "line 12,17 40,17\nline 12,30 40,30\nline 12,43 40,43\n" + fill(BLUE) +
            "polygon 44,26 58,26 51,36\n")


def thinker():
    return (fill(LIGHT, NAVY, 4) + "circle 32,32 32,6\n" + stroke(NAVY, 5) +
            "line 32,32 32,16\nline 32,32 44,38\n")


def motor(reverse):
    body = stroke(NAVY, 7) + "path 'M 12,40 A 22,22 0 1,1 46,50'\n" + fill(NAVY)
    body += "polygon 38,58 56,54 46,40\n"
    if reverse:
        body = "push graphic-context\ntranslate 64,0\nscale -1,1\n" + body + "pop graphic-context\n"
    return body


def corner(which):
    rot = {"TL": 225, "TR": 315, "BR": 45}[which]
    return (fill(AMBER, "#8a5a00", 2) + "push graphic-context\ntranslate 32,32\nrotate %d\n" % rot +
            "path 'M -22,-9 L 4,-9 L 4,-22 L 26,0 L 4,22 L 4,9 L -22,9 Z'\npop graphic-context\n")


def folder(colour, dark):
    return (fill(colour, dark, 3) + "path 'M 5,14 L 24,14 L 30,20 L 59,20 L 59,54 L 5,54 Z'\n" +
            fill("#ffffff60") + "rectangle 9,26 55,30\n")


def text_button():
    return (fill(BLUE, NAVY, 2) + "circle 32,32 32,3\n" + fill("white") +
            "rectangle 18,16 46,23\nrectangle 28,16 36,49\n")


def shift_key():
    return (fill("white", NAVY, 4) +
            "path 'M 32,6 L 58,34 L 44,34 L 44,58 L 20,58 L 20,34 L 6,34 Z'\n")


ICONS = [
    # (file, size, drawing)
    ("home-64x64.png", 64, home()), ("home-32x32.png", 32, home()),
    ("app-edit-64x64.png", 64, edit()), ("app-edit-32x32.png", 32, edit()),
    ("search-64x64.png", 64, search()), ("search-32x32.png", 32, search()),
    ("ZigZag.png", 64, zigzag()), ("ZigZag_5.png", 32, zigzag()),
    ("Start_64x64.png", 64, start()), ("Start_32x32.png", 32, start()),
    ("Stop_64x64.png", 64, stop()), ("Stop_32x32.png", 32, stop()),
    ("Stitch_64x64.png", 64, stitch()), ("Stitch_32x32.png", 32, stitch()),
    ("LockHorizontal.png", 50, padlock("h")), ("LockHorizontal_32x32.png", 32, padlock("h")),
    ("LockVertical.png", 50, padlock("v")), ("LockVertical_32x32.png", 32, padlock("v")),
    ("Lock_32.png", 32, plain_lock()),
    ("DropDownMenu_50.png", 50, dropdown()),
    ("thinker_20x20.png", 20, thinker()),
    ("Up.png", 50, arrow(270)), ("Up_5.png", 32, arrow(270)),
    ("Down.png", 50, arrow(90)), ("Down_5.png", 32, arrow(90)),
    ("Left.png", 50, arrow(180)), ("Left_5.png", 32, arrow(180)),
    ("Right.png", 50, arrow(0)), ("Right_5.png", 32, arrow(0)),
    ("Forward_32x32.png", 32, motor(False)), ("ReverseArrow_32x32.png", 32, motor(True)),
    ("OK_64x64.png", 64, check()), ("OK.png", 32, check()),
    ("Cancel_64x64.png", 64, cross_mark()), ("Cancel.png", 32, cross_mark()),
    ("Add_64x64.png", 64, plus_mark()), ("Add.png", 32, plus_mark()),
    ("Plus.png", 32, plus_mark(BLUE, NAVY)), ("Minus.png", 32, minus_mark()),
    ("Plus_20.png", 20, plus_mark(BLUE, NAVY)), ("Minus_20.png", 20, minus_mark()),
    ("Text.png", 32, text_button()),
    ("TL_Arrow.png", 32, corner("TL")), ("TR_Arrow.png", 32, corner("TR")),
    ("BR_Arrow.png", 32, corner("BR")),
    ("Folder.png", 20, folder(AMBER, "#8a5a00")),
    ("FolderBlue.png", 50, folder(SKY, NAVY)), ("FolderBlue_5.png", 32, folder(SKY, NAVY)),
    ("shift.png", 24, shift_key()),
]


def render(name, size, drawing):
    mvg = ("push graphic-context\nscale %f,%f\n" % (size / 64.0, size / 64.0) + drawing +
           "pop graphic-context\n")
    out = os.path.join(OUT, name)
    subprocess.run(["convert", "-background", "none", "-size", "%dx%d" % (size, size),
                    "xc:none", "-draw", mvg, "-strip", "PNG32:" + out], check=True)
    print("wrote", out)


def main():
    os.makedirs(OUT, exist_ok=True)
    for name, size, drawing in ICONS:
        render(name, size, drawing)


main()
