#!/usr/bin/env bash
# Draws Talvern's icon (a page that forks into a Word document and plain text) and
# writes it as platform/talvern.ico: one 32x32 image, 24-bit colour with a 1-bit mask.
# Run once after changing the drawing; the .ico is committed.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
out=platform/talvern.ico
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# Drawn 8 times larger and scaled down, so the edges are smooth.
convert -size 256x256 xc:none \
  -fill '#ffffff' -stroke '#3c4650' -strokewidth 8 \
  -draw 'polygon 40,16 176,16 224,64 224,240 40,240' \
  -fill '#c8d0d8' -draw 'polygon 176,16 176,64 224,64' \
  -stroke none -fill '#2b5797' -draw 'rectangle 56,80 208,136' \
  -fill '#ffffff' -font DejaVu-Sans-Bold -pointsize 56 -gravity north \
  -annotate +0+78 'W' -gravity northwest \
  -fill '#7a8590' \
  -draw 'rectangle 56,160 208,172' -draw 'rectangle 56,188 208,200' \
  -draw 'rectangle 56,216 160,228' \
  -fill '#e8871e' -stroke '#ffffff' -strokewidth 10 -draw 'circle 196,204 196,148' \
  -stroke '#ffffff' -strokewidth 14 -fill none \
  -draw 'line 172,204 196,204' -draw 'polyline 196,204 214,184 214,184' \
  -draw 'line 196,204 214,224' \
  -resize 32x32 "$work/icon.png"
convert "$work/icon.png" -depth 8 "rgba:$work/icon.rgba"

python3 - "$work/icon.rgba" "$out" <<'PY'
import struct, sys
size = 32
rgba = open(sys.argv[1], 'rb').read()
assert len(rgba) == size * size * 4
xor = bytearray()
mask = bytearray()
for y in reversed(range(size)):  # bottom-up rows
    row_bits = 0
    for x in range(size):
        r, g, b, a = rgba[(y * size + x) * 4:(y * size + x) * 4 + 4]
        # Blend the edge pixels over white-grey, so the opaque ones look smooth anywhere.
        if a < 96:
            xor += b'\0\0\0'
            row_bits |= 1 << (31 - x)
        else:
            k = a / 255
            back = 0xf0
            xor += bytes(round(c * k + back * (1 - k)) for c in (b, g, r))
    mask += struct.pack('>I', row_bits)
header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 24, 0,
                     len(xor) + len(mask), 0, 0, 0, 0)
image = header + xor + mask
ico = struct.pack('<HHH', 0, 1, 1)
ico += struct.pack('<BBBBHHII', size, size, 0, 0, 1, 24, len(image), 6 + 16)
open(sys.argv[2], 'wb').write(ico + image)
PY
echo "make-icon: wrote $out"
