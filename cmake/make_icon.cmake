# Writes the program's icon as a scalable SVG made from the game's own art:
# the cupcake, the first of the four sweets in sweets.svg, alone on a
# rounded cream tile. The drawing's definitions and the cupcake's group are
# kept, the other sweets dropped, and the picture cropped to the cupcake's
# 256 x 256 cell.
# With -DMASKABLE=ON it is the maskable variant a web app's launcher cuts to
# its own shape: the tile fills the whole square and the cupcake shrinks into
# the central circle (80 % of the side) that every such shape keeps.
#   cmake -DINPUT=tools/art/sweets.svg -DOUTPUT=icon.svg [-DMASKABLE=ON] -P make_icon.cmake
file(READ "${INPUT}" svg)

# Everything from the root element's opening tag to the end of the cupcake's
# group, found by the comments that head the groups.
string(FIND "${svg}" "<svg " root_start)
string(FIND "${svg}" "</defs>" defs_end)
string(FIND "${svg}" "<!-- kind 1" first_start)
string(FIND "${svg}" "<!-- kind 2" second_start)
if(root_start LESS 0 OR defs_end LESS 0 OR first_start LESS 0 OR second_start LESS first_start)
  message(FATAL_ERROR "${INPUT} no longer has the layout the icon is cut from")
endif()
string(SUBSTRING "${svg}" ${root_start} -1 from_root)
string(FIND "${from_root}" ">" root_tag_end)
math(EXPR after_root "${root_start} + ${root_tag_end} + 1")
math(EXPR defs_length "${defs_end} - ${after_root}")
string(SUBSTRING "${svg}" ${after_root} ${defs_length} defs)
math(EXPR first_length "${second_start} - ${first_start}")
string(SUBSTRING "${svg}" ${first_start} ${first_length} cupcake)
string(STRIP "${cupcake}" cupcake)

set(tile "<rect x=\"8\" y=\"8\" width=\"240\" height=\"240\" rx=\"52\" fill=\"url(#iconTile)\"
        stroke=\"#5b2a3c\" stroke-width=\"6\"/>")
if(MASKABLE)
  set(tile "<rect x=\"0\" y=\"0\" width=\"256\" height=\"256\" fill=\"url(#iconTile)\"/>")
  set(cupcake "<g transform=\"translate(38.4 38.4) scale(0.7)\">${cupcake}</g>")
endif()

file(WRITE "${OUTPUT}" "<?xml version=\"1.0\" encoding=\"UTF-8\"?>
<!-- The TIDE_MARKER icon, written by the build from tools/art/sweets.svg. -->
<svg xmlns=\"http://www.w3.org/2000/svg\" xmlns:xlink=\"http://www.w3.org/1999/xlink\"
     width=\"256\" height=\"256\" viewBox=\"0 0 256 256\">${defs}  <linearGradient id=\"iconTile\" x1=\"0\" y1=\"0\" x2=\"0\" y2=\"1\">
      <stop offset=\"0\" stop-color=\"#fff8e8\"/><stop offset=\"1\" stop-color=\"#ffd9e6\"/>
    </linearGradient>
  </defs>
  ${tile}
  ${cupcake}
</svg>
")
