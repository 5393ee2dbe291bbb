#!/usr/bin/env python3
"""Writes the three drawings of Nibbu, the round customer, into tools/art:
pemophiSp.svg (4 x 4 sheet: rows neutral, floating, pleased, displeased),
pemoSitDown.svg (4 pictures: full up and sitting down) and pemoglut.svg
(4 eating frames). They share one set of body parts defined here, so the
character looks the same everywhere. Run it after changing a part; the build
rasterises the written SVG files."""
import os

OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "art")
INK = "#5b2a3c"

DEFS = f"""
  <defs>
    <radialGradient id="skin" cx="0.42" cy="0.35" r="0.75">
      <stop offset="0" stop-color="#ffe3ea"/><stop offset="0.55" stop-color="#ffbccd"/><stop offset="1" stop-color="#f58aa8"/>
    </radialGradient>
    <linearGradient id="belly" x1="0" y1="0" x2="0" y2="1">
      <stop offset="0" stop-color="#fff7f0"/><stop offset="1" stop-color="#ffe6d6"/>
    </linearGradient>
    <linearGradient id="creamTuft" x1="0" y1="0" x2="0" y2="1">
      <stop offset="0" stop-color="#ffffff"/><stop offset="1" stop-color="#ffe9c4"/>
    </linearGradient>
    <radialGradient id="berryR" cx="0.4" cy="0.35" r="0.7">
      <stop offset="0" stop-color="#ff8098"/><stop offset="1" stop-color="#d3173f"/>
    </radialGradient>
    <linearGradient id="sponge" x1="0" y1="0" x2="0" y2="1">
      <stop offset="0" stop-color="#ffe6a3"/><stop offset="1" stop-color="#f2bd5c"/>
    </linearGradient>
    <!-- Ears and the whipped-cream tuft sit on top of the head. -->
    <g id="ears" stroke="{INK}" stroke-width="7">
      <circle cx="-72" cy="-164" r="28" fill="url(#skin)"/><circle cx="-72" cy="-164" r="13" fill="#ff93b0" stroke="none"/>
      <circle cx="72" cy="-164" r="28" fill="url(#skin)"/><circle cx="72" cy="-164" r="13" fill="#ff93b0" stroke="none"/>
    </g>
    <g id="tuft" stroke="{INK}" stroke-width="6" stroke-linejoin="round">
      <path d="M-26 -176 C-36 -196 -14 -206 -6 -198 C-4 -216 22 -218 22 -200 C36 -202 38 -180 24 -176 Z" fill="url(#creamTuft)"/>
      <circle cx="4" cy="-214" r="9" fill="url(#berryR)" stroke-width="5"/>
    </g>
    <g id="feet" stroke="{INK}" stroke-width="7">
      <ellipse cx="-52" cy="-8" rx="34" ry="18" fill="#f58aa8"/>
      <ellipse cx="52" cy="-8" rx="34" ry="18" fill="#f58aa8"/>
    </g>
    <g id="body" stroke="{INK}" stroke-width="8">
      <ellipse cx="0" cy="-92" rx="114" ry="92" fill="url(#skin)"/>
      <ellipse cx="0" cy="-52" rx="62" ry="40" fill="url(#belly)" stroke="none"/>
      <path d="M-78 -150 Q-58 -172 -28 -176" fill="none" stroke="#ffffff" stroke-width="9" stroke-linecap="round" stroke-opacity="0.85"/>
    </g>
    <g id="cheeks" fill="#ff6f98" opacity="0.55">
      <ellipse cx="-70" cy="-92" rx="20" ry="12"/><ellipse cx="70" cy="-92" rx="20" ry="12"/>
    </g>
    <g id="armsDown" stroke="{INK}" stroke-width="7" fill="url(#skin)">
      <ellipse cx="-114" cy="-76" rx="20" ry="28" transform="rotate(25 -114 -76)"/>
      <ellipse cx="114" cy="-76" rx="20" ry="28" transform="rotate(-25 114 -76)"/>
    </g>
    <g id="armsUp" stroke="{INK}" stroke-width="7" fill="url(#skin)">
      <ellipse cx="-112" cy="-150" rx="19" ry="30" transform="rotate(-35 -112 -150)"/>
      <ellipse cx="112" cy="-150" rx="19" ry="30" transform="rotate(35 112 -150)"/>
    </g>
    <g id="armsBelly" stroke="{INK}" stroke-width="7" fill="url(#skin)">
      <ellipse cx="-62" cy="-50" rx="26" ry="18" transform="rotate(-20 -62 -50)"/>
      <ellipse cx="62" cy="-50" rx="26" ry="18" transform="rotate(20 62 -50)"/>
    </g>
    <g id="eyesOpen">
      <ellipse cx="-40" cy="-122" rx="15" ry="19" fill="{INK}"/><ellipse cx="40" cy="-122" rx="15" ry="19" fill="{INK}"/>
      <circle cx="-45" cy="-129" r="6" fill="#ffffff"/><circle cx="35" cy="-129" r="6" fill="#ffffff"/>
      <circle cx="-35" cy="-114" r="3" fill="#ffffff"/><circle cx="45" cy="-114" r="3" fill="#ffffff"/>
    </g>
    <g id="eyesBlink" fill="none" stroke="{INK}" stroke-width="7" stroke-linecap="round">
      <path d="M-54 -120 Q-40 -112 -26 -120"/><path d="M26 -120 Q40 -112 54 -120"/>
    </g>
    <g id="eyesHappy" fill="none" stroke="{INK}" stroke-width="8" stroke-linecap="round">
      <path d="M-56 -116 Q-40 -138 -24 -116"/><path d="M24 -116 Q40 -138 56 -116"/>
    </g>
    <g id="eyesSad" fill="none" stroke="{INK}" stroke-width="8" stroke-linecap="round" stroke-linejoin="round">
      <path d="M-58 -132 L-26 -120 L-56 -108"/><path d="M58 -132 L26 -120 L56 -108"/>
    </g>
    <g id="mouthSmile" stroke="{INK}" stroke-width="6" stroke-linejoin="round">
      <path d="M-18 -96 Q0 -96 18 -96 Q16 -72 0 -72 Q-16 -72 -18 -96 Z" fill="#c2305a"/>
      <path d="M-9 -78 Q0 -84 9 -78 Q5 -73 0 -73 Q-5 -73 -9 -78 Z" fill="#ff8fae" stroke="none"/>
    </g>
    <g id="mouthO" stroke="{INK}" stroke-width="6">
      <ellipse cx="0" cy="-86" rx="14" ry="17" fill="#c2305a"/>
      <ellipse cx="0" cy="-79" rx="8" ry="6" fill="#ff8fae" stroke="none"/>
    </g>
    <g id="mouthWide" stroke="{INK}" stroke-width="6" stroke-linejoin="round">
      <path d="M-30 -100 Q0 -104 30 -100 Q26 -62 0 -62 Q-26 -62 -30 -100 Z" fill="#c2305a"/>
      <path d="M-14 -70 Q0 -80 14 -70 Q8 -64 0 -64 Q-8 -64 -14 -70 Z" fill="#ff8fae" stroke="none"/>
    </g>
    <g id="mouthChew" fill="none" stroke="{INK}" stroke-width="7" stroke-linecap="round">
      <path d="M-22 -90 Q-11 -80 0 -90 Q11 -80 22 -90"/>
    </g>
    <g id="mouthFrown" fill="none" stroke="{INK}" stroke-width="7" stroke-linecap="round">
      <path d="M-24 -80 Q-16 -92 -8 -84 Q0 -76 8 -84 Q16 -92 24 -80"/>
    </g>
    <g id="puffCheeks" stroke="{INK}" stroke-width="6" fill="url(#skin)">
      <ellipse cx="-66" cy="-86" rx="28" ry="22"/><ellipse cx="66" cy="-86" rx="28" ry="22"/>
      <ellipse cx="-66" cy="-86" rx="16" ry="10" fill="#ff6f98" stroke="none" opacity="0.5"/>
      <ellipse cx="66" cy="-86" rx="16" ry="10" fill="#ff6f98" stroke="none" opacity="0.5"/>
    </g>
    <g id="gloom" stroke="#5a7bd8" stroke-width="6" stroke-linecap="round" opacity="0.8">
      <path d="M-40 -168 V-146 M-20 -172 V-144 M0 -174 V-142 M20 -172 V-144 M40 -168 V-146"/>
    </g>
    <path id="drop" d="M0 -16 C6 -6 10 0 10 5 A10 10 0 0 1 -10 5 C-10 0 -6 -6 0 -16 Z"
          fill="#9fd8ff" stroke="{INK}" stroke-width="4"/>
    <path id="heart" d="M0 14 C-18 2 -16 -14 -7 -14 C-3 -14 -1 -11 0 -8 C1 -11 3 -14 7 -14 C16 -14 18 2 0 14 Z"
          fill="#ff5f86" stroke="{INK}" stroke-width="4" stroke-linejoin="round"/>
    <path id="spark" d="M0 -1 Q0.15 -0.15 1 0 Q0.15 0.15 0 1 Q-0.15 0.15 -1 0 Q-0.15 -0.15 0 -1 Z"
          fill="#fffbd0" stroke="#ffb21c" stroke-width="0.12"/>
    <g id="crumbs" fill="#f2bd5c" stroke="{INK}" stroke-width="3">
      <circle cx="-46" cy="-58" r="5"/><circle cx="50" cy="-50" r="4"/><circle cx="30" cy="-36" r="5"/>
    </g>
    <g id="cake" stroke="{INK}" stroke-width="6" stroke-linejoin="round">
      <path d="M-60 20 L56 -12 L60 10 L60 52 L-60 56 Z" fill="url(#sponge)"/>
      <path d="M-60 34 L60 30" stroke="#ffffff" stroke-width="9"/><path d="M-60 34 L60 30" stroke="#ff5f86" stroke-width="4"/>
      <path d="M-64 22 C-66 8 -50 4 -40 8 C-34 -4 -14 -6 -8 2 C0 -10 22 -12 28 -4 C36 -14 56 -14 62 0 Z" fill="#ffffff"/>
      <path d="M-4 -2 C-14 -8 -18 -20 -14 -26 C-10 -32 -4 -30 0 -27 C4 -30 10 -32 14 -26 C18 -20 14 -8 -4 -2 Z" fill="url(#berryR)" stroke-width="4"/>
    </g>
  </defs>"""


def figure(face, arms="armsDown", sx=1.0, sy=1.0, dx=0.0, dy=0.0, extra="", behind=""):
    """One pose, feet at the local origin; sx/sy squash and stretch about the feet."""
    return (f'<g transform="translate({dx} {dy}) scale({sx} {sy})">{behind}'
            f'<use xlink:href="#feet"/><use xlink:href="#ears"/><use xlink:href="#body"/>'
            f'<use xlink:href="#tuft"/><use xlink:href="#cheeks"/>{face}<use xlink:href="#{arms}"/></g>{extra}')


def uses(*names):
    return "".join(f'<use xlink:href="#{n}"/>' for n in names)


def placed(symbol, x, y, s=1.0, r=0.0):
    return f'<use xlink:href="#{symbol}" transform="translate({x} {y}) rotate({r}) scale({s})"/>'


def sheet(path, width, height, comment, cells):
    """cells: list of (cell x, cell y, foot x, foot y, scale, content)."""
    body = []
    for cx, cy, fx, fy, scale, content in cells:
        body.append(f'  <g transform="translate({cx + fx} {cy + fy}) scale({scale})">{content}</g>')
    svg = (f'<?xml version="1.0" encoding="UTF-8"?>\n<!-- {comment} -->\n'
           f'<svg xmlns="http://www.w3.org/2000/svg" xmlns:xlink="http://www.w3.org/1999/xlink" '
           f'width="{width}" height="{height}" viewBox="0 0 {width} {height}">{DEFS}\n' + "\n".join(body) + "\n</svg>\n")
    with open(os.path.join(OUT, path), "w") as f:
        f.write(svg)


def main():
    # Customer sheet: cells 400 x 350, feet at (200, 266) so the mouth sits at
    # the cell centre, where the sweets fly to.
    W, H, FX, FY = 400, 350, 200, 266
    rows = []
    # Row 0, neutral: a gentle bob and a blink on the last frame.
    neutral = [
        figure(uses("eyesOpen", "mouthSmile")),
        figure(uses("eyesOpen", "mouthSmile"), sx=1.04, sy=0.96),
        figure(uses("eyesOpen", "mouthSmile")),
        figure(uses("eyesBlink", "mouthSmile"), sx=0.97, sy=1.03),
    ]
    # Row 1, floating: arms up, delighted, sparkles around.
    floating = [
        figure(uses("eyesHappy", "mouthO"), "armsUp", dy=-6, extra=placed("spark", -140, -200, 14) + placed("spark", 150, -120, 10)),
        figure(uses("eyesHappy", "mouthWide"), "armsUp", dy=-12, sx=0.97, sy=1.03, extra=placed("spark", -150, -110, 10) + placed("spark", 140, -210, 14)),
        figure(uses("eyesHappy", "mouthO"), "armsUp", dy=-6, extra=placed("spark", -130, -210, 10) + placed("spark", 156, -140, 14)),
        figure(uses("eyesHappy", "mouthWide"), "armsUp", sx=1.03, sy=0.97, extra=placed("spark", -156, -130, 14) + placed("spark", 130, -200, 10)),
    ]
    # Row 2, pleased: munching with hearts rising.
    pleased = [
        figure(uses("eyesHappy", "mouthWide"), "armsBelly", extra=placed("heart", 120, -170, 1.3)),
        figure(uses("eyesHappy", "puffCheeks", "mouthChew"), "armsBelly", sx=1.06, sy=0.94, extra=placed("heart", 126, -196, 1.5) + placed("heart", -130, -160, 1.0)),
        figure(uses("eyesHappy", "mouthChew"), "armsBelly", extra=placed("heart", 132, -222, 1.2) + placed("heart", -136, -186, 1.3) + uses("crumbs")),
        figure(uses("eyesHappy", "puffCheeks", "mouthChew"), "armsBelly", sx=0.96, sy=1.04, extra=placed("heart", -140, -214, 1.5)),
    ]
    # Row 3, displeased: squeezed eyes, wobbly mouth, gloom, a shake.
    displeased = [
        figure(uses("eyesSad", "mouthFrown", "gloom"), dx=-6, extra=placed("drop", 96, -150, 1.3)),
        figure(uses("eyesSad", "mouthFrown", "gloom"), dx=6, sx=1.03, sy=0.97, extra=placed("drop", 100, -140, 1.4)),
        figure(uses("eyesSad", "mouthFrown", "gloom"), dx=-6, extra=placed("drop", 104, -128, 1.5)),
        figure(uses("eyesSad", "mouthFrown", "gloom"), dx=6, sx=1.03, sy=0.97, extra=placed("drop", -104, -150, 1.3)),
    ]
    for r, row in enumerate([neutral, floating, pleased, displeased]):
        for c, content in enumerate(row):
            rows.append((c * W, r * H, FX, FY, 0.95, content))
    sheet("pemophiSp.svg", 4 * W, 4 * H,
          "Nibbu, the customer: 4 x 4 cells of 400 x 350 (0.25 each). Rows: neutral, floating, "
          "pleased, displeased; columns: four animation frames. Feet at (200, 266) of a cell, "
          "mouth at its centre. Written by tools/art_src/character_svgs.py.", rows)

    # Sit-down pictures: the same cells, full up and settling down.
    sit_body_full = ('<g stroke="#5b2a3c" stroke-width="8"><ellipse cx="0" cy="-92" rx="124" ry="96" fill="url(#skin)"/>'
                     '<ellipse cx="0" cy="-50" rx="76" ry="48" fill="url(#belly)" stroke="none"/></g>')
    sit = [
        figure(uses("eyesHappy", "mouthSmile"), "armsBelly", sx=1.08, sy=1.0, behind=""),
        figure(uses("eyesHappy", "mouthO"), "armsBelly", sx=1.14, sy=0.86),
        figure(uses("eyesBlink", "mouthSmile"), "armsBelly", sx=1.12, sy=0.88, extra=placed("spark", 130, -170, 12)),
        figure(uses("eyesBlink", "mouthSmile"), "armsBelly", sx=1.1, sy=0.9, dx=3, extra=placed("spark", -130, -150, 10)),
    ]
    del sit_body_full
    sheet("pemoSitDown.svg", 4 * W, H,
          "Nibbu full up: four 400 x 350 pictures side by side (0.25 wide): patting its belly, "
          "plopping down, then sitting content. Written by tools/art_src/character_svgs.py.",
          [(c * W, 0, FX, FY, 0.95, content) for c, content in enumerate(sit)])

    # Clear-scene eating: 500 x 450 cells, feet at (250, 333), holding a cake.
    GW, GH, GFX, GFY = 500, 450, 250, 333
    glut = [
        figure(uses("eyesOpen", "mouthWide"), "armsBelly", extra=placed("cake", 0, -40, 1.0)),
        figure(uses("eyesHappy", "puffCheeks", "mouthChew"), "armsBelly", sx=1.05, sy=0.95, extra=placed("cake", 0, -30, 0.9) + uses("crumbs")),
        figure(uses("eyesHappy", "mouthChew"), "armsBelly", extra=placed("cake", 0, -30, 0.8) + placed("heart", 140, -200, 1.5)),
        figure(uses("eyesHappy", "puffCheeks", "mouthChew"), "armsBelly", sx=0.96, sy=1.04, extra=placed("cake", 0, -34, 0.8) + placed("heart", -150, -210, 1.3) + placed("heart", 150, -240, 1.0)),
    ]
    sheet("pemoglut.svg", 4 * GW, GH,
          "Nibbu eating in the clear scene: four 500 x 450 frames side by side (0.25 wide). "
          "Written by tools/art_src/character_svgs.py.",
          [(c * GW, 0, GFX, GFY, 1.35, content) for c, content in enumerate(glut)])


if __name__ == "__main__":
    main()
