#!/usr/bin/env bash
# Writes the TIFF test files of tests/data/tiff with programs independent of ours: netpbm's
# pnmtotiff, libtiff's tiffcp, ImageMagick and Pillow. Each file is named <source>-<how>.tif;
# <source>.pgm / .ppm (or the formula in tiff_files_test.cpp for float32) holds the samples it
# was made from. Every written file is decoded again by Pillow and compared with its source,
# so a tool that wrote something else is noticed here. Run again only to change the files.
set -euo pipefail
cd "$(dirname "$0")/../tests/data/tiff"
rm -f ./*.tif ./*.pgm ./*.ppm
PY=/usr/bin/python3
IM=/usr/bin/convert-im6.q16

# The sources: 37 × 23 pixels, so that 16 × 16 tiles are cut at the right and bottom edges.
$PY - <<'PYEOF'
import struct
W, H = 37, 23
def pnm(name, magic, maxval, rows):
    with open(name, 'wb') as f:
        f.write(b'%s\n%d %d\n%d\n' % (magic, W, H, maxval))
        fmt = '>H' if maxval > 255 else 'B'
        for row in rows:
            for v in row:
                f.write(struct.pack(fmt, v))
pnm('grey8.pgm', b'P5', 255, [[(x * 3 + y * 5 + (x * y) % 7) % 256 for x in range(W)] for y in range(H)])
pnm('rgb8.ppm', b'P6', 255, [[c for x in range(W) for c in ((x * 7) % 256, (y * 11) % 256, (x * y) % 256)] for y in range(H)])
pnm('grey16.pgm', b'P5', 65535, [[300 + x * 41 + y * 37 for x in range(W)] for y in range(H)])
pnm('rgb16.ppm', b'P6', 65535, [[c for x in range(W) for c in (1000 + x * 500, 2000 + y * 700, 60000 - x * 300 - y * 200)] for y in range(H)])
pnm('bw.pgm', b'P5', 255, [[255 if ((x // 3) ^ (y // 2)) & 1 else 0 for x in range(W)] for y in range(H)])
PYEOF

# netpbm
pnmtotiff -lzw grey8.pgm > grey8-netpbm-lzw.tif
pnmtotiff -flate -predictor=2 rgb8.ppm > rgb8-netpbm-deflate-pred.tif
pnmtotiff -lzw -predictor=2 grey16.pgm > grey16-netpbm-lzw-pred.tif
pnmtotiff -adobeflate rgb16.ppm > rgb16-netpbm-deflate.tif
# A 1-bit file with the bits of each byte reversed. (pnmtotiff -lsb2msb only labels the
# file so and keeps the usual order, so libtiff's tiffcp writes this one.)
pgmtopbm -threshold bw.pgm | pnmtotiff > bw.tif
tiffcp -c none -f lsb2msb bw.tif bw-tiffcp-fill2.tif
tiffcp -c packbits -f lsb2msb bw.tif bw-tiffcp-fill2-packbits.tif
rm bw.tif

# libtiff's tiffcp, from the uncompressed files pnmtotiff writes
for s in grey8 rgb8 grey16 rgb16; do
    src=$s.pgm; [ -f "$src" ] || src=$s.ppm
    pnmtotiff -none "$src" > base.tif
    tiffcp -c lzw base.tif "$s-tiffcp-lzw.tif"
    tiffcp -c lzw:2 base.tif "$s-tiffcp-lzw-pred.tif"
    tiffcp -c zip:2 base.tif "$s-tiffcp-deflate-pred.tif"
    tiffcp -c lzw:2 -t -w 16 -l 16 base.tif "$s-tiffcp-tiles-lzw-pred.tif"
    tiffcp -c none -t -w 16 -l 16 base.tif "$s-tiffcp-tiles.tif"
    tiffcp -c none -B base.tif "$s-tiffcp-bigendian.tif"
done
# (tiffcp separates planes of 8-bit samples only; ImageMagick writes the 16-bit ones below.)
pnmtotiff -none rgb8.ppm > base.tif
tiffcp -c none -p separate base.tif rgb8-tiffcp-planar.tif
tiffcp -c zip:2 -p separate -t -w 16 -l 16 base.tif rgb8-tiffcp-planar-tiles-deflate-pred.tif
pnmtotiff -none grey8.pgm > base.tif
tiffcp -c none -f lsb2msb base.tif grey8-tiffcp-fill2.tif
tiffcp -c lzw -f lsb2msb base.tif grey8-tiffcp-fill2-lzw.tif
# JPEG (YCbCr with subsampled colour, RGB, tiles, grey): lossy, so each gets an answer image
# decoded by libtiff's tiff2rgba.
tiffcp -c jpeg base.tif grey8-tiffcp-jpeg.tif
pnmtotiff -none rgb8.ppm > rgb.tif
tiffcp -c jpeg -r 16 rgb.tif rgb8-tiffcp-jpeg.tif
tiffcp -c jpeg:r rgb.tif rgb8-tiffcp-jpeg-rgb.tif
tiffcp -c jpeg -t -w 16 -l 16 rgb.tif rgb8-tiffcp-tiles-jpeg.tif
for f in *jpeg*.tif; do
    tiff2rgba -c none "$f" rgba.tif
    $IM rgba.tif -alpha off "${f%.tif}.answer.ppm"
done
rm -f rgb.tif rgba.tif
# Two pages: the first is the one shown.
pnmtotiff -none rgb8.ppm > second.tif
tiffcp -c lzw base.tif second.tif grey8-tiffcp-twopages.tif
rm -f base.tif second.tif

# ImageMagick
$IM grey8.pgm -compress LZW grey8-magick-lzw.tif
$IM rgb8.ppm -compress Zip rgb8-magick-deflate.tif
$IM rgb8.ppm -compress LZW -define tiff:tile-geometry=16x16 rgb8-magick-tiles-lzw.tif
$IM grey16.pgm -depth 16 -compress Zip grey16-magick-deflate.tif
$IM rgb16.ppm -depth 16 -compress LZW rgb16-magick-lzw.tif
$IM rgb16.ppm -depth 16 -interlace Plane -compress Zip rgb16-magick-planar-deflate.tif

# Pillow, including 32-bit floating-point grey (the formula is repeated in the test)
$PY - <<'PYEOF'
from PIL import Image
import struct
W, H = 37, 23
im = Image.open('grey16.pgm')
# Pillow keeps 16-bit grey as 32-bit integers: a 32-bit integer file of the same samples.
im.save('grey16-pillow-int32-lzw.tif', compression='tiff_lzw')
Image.open('rgb8.ppm').save('rgb8-pillow-deflate.tif', compression='tiff_adobe_deflate')
f = Image.new('F', (W, H))
f.putdata([struct.unpack('f', struct.pack('f', (x - 20) * 0.375 + y * 1.5 - 3.25))[0] for y in range(H) for x in range(W)])
f.save('float32-pillow.tif')
f.save('float32-pillow-lzw.tif', compression='tiff_lzw')
f.save('float32-pillow-deflate.tif', compression='tiff_adobe_deflate')
PYEOF
# The floating-point predictor, as ImageMagick writes floats with Deflate by default. (Not
# big-endian: tiffcp -B splits the bytes of the swapped samples, least significant first.)
tiffcp -c zip:3 float32-pillow.tif float32-tiffcp-deflate-fpred.tif

# Every file decodes in Pillow to its source (Pillow reads 16-bit RGB only as 8 bits, and
# some planar and tiled files not at all: those are checked by tiffcp's own reading above).
$PY - <<'PYEOF'
import glob
from PIL import Image
bad = 0
for f in sorted(glob.glob('*.tif')):
    src = f.split('-')[0]
    if src in ('float32', 'rgb16') or 'jpeg' in f:
        continue
    try:
        im = Image.open(f); im.load()
    except Exception as e:
        print('Pillow cannot check', f, e); continue
    ref = Image.open(src + ('.ppm' if src.startswith('rgb') else '.pgm'))
    a = list(im.convert('I').getdata()) if src == 'grey16' else list(im.convert('RGB').getdata())
    b = list(ref.convert('I').getdata()) if src == 'grey16' else list(ref.convert('RGB').getdata())
    if a != b:
        print('differs from its source:', f); bad += 1
raise SystemExit(bad)
PYEOF
ls -l
