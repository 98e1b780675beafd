#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# make_seeds.sh SAMPLES_TOOL OUTDIR
# Writes a small seed corpus for each fuzz target, made from the sample
# collection that SAMPLES_TOOL (duskmapper-samples) lays out:
#   OUTDIR/load_render  16 control bytes, then the first rows of a sample
#   OUTDIR/label        the sample labels and a few image names
#   OUTDIR/odl          the sample labels and a few broken keyword labels
#   OUTDIR/file_list    the sample names, one per line, in small groups
#   OUTDIR/gdal_driver  8 control bytes, a sample label and the first rows
#                       of its image
# Nothing here is kept in the source tree; the seeds are made anew each run.
set -euo pipefail

if [ $# -ne 2 ]; then
  echo "usage: $0 SAMPLES_TOOL OUTDIR" >&2
  exit 2
fi
tool=$1
out=$2
samples=$out/samples
mkdir -p "$out/load_render" "$out/label" "$out/odl" "$out/file_list" "$out/gdal_driver"
"$tool" "$samples" >/dev/null

# One control block: option flags (16 bits), contrast and brightness (32 bits
# each, little-endian), shading, name, original, geometry index, two spare.
control() {  # FLAGS CONTRAST BRIGHTNESS SHADING NAME ORIGINAL GEOMETRY
  local flags=$1 contrast=$2 brightness=$3
  printf "$(printf '\\x%02x\\x%02x' $((flags & 255)) $((flags >> 8 & 255)))"
  for value in "$contrast" "$brightness"; do
    value=$((value & 0xFFFFFFFF))
    printf "$(printf '\\x%02x\\x%02x\\x%02x\\x%02x' $((value & 255)) $((value >> 8 & 255)) \
      $((value >> 16 & 255)) $((value >> 24 & 255)))"
  done
  printf "$(printf '\\x%02x\\x%02x\\x%02x\\x%02x\\x00\\x00' $(($4 & 255)) "$5" "$6" "$7")"
}

# Each image's first 16 KiB, under a spread of options, levels and lengths:
# geometry index 255 keeps the cut length (the default raster), the others
# pad it to a listed length with mid grey.
rows=(
  "0x0000 0 0 0 0 0 8"            # nothing on, 1052 x 660
  "0x01ff 0 0 0 1 0 24"           # every option, 1036 x 1120
  "0x0103 40 -20 3 2 0 17"        # stretch, despeckle, missing lines, 996 x 888
  "0x0060 -100 255 -5 3 0 30"     # both size reductions, 1072 x 896
  "0x8018 2147483647 -2147483648 127 4 0 0"   # extreme levels, flip flag 7
  "0x0011 0 0 0 5 1 255"          # the original picture, unlisted length
  "0x0002 0 100 0 0 0 13"         # despeckle alone, 996 x 712
  "0x0008 0 0 -128 1 0 255"       # rotate, unlisted length
)
n=0
for image in "$samples"/*.img "$samples"/*.IMG; do
  set -- ${rows[$((n % ${#rows[@]}))]}
  { control "$@"; head -c 16384 "$image"; } >"$out/load_render/seed$n"
  n=$((n + 1))
done
control 0 0 0 0 0 0 255 >"$out/load_render/empty"

# Labels: whole, cut inside a record, and the names a label is found by.
for lbl in "$samples"/*.lbl; do
  cp "$lbl" "$out/label/$(basename "$lbl")"
  head -c 2000 "$lbl" >"$out/label/cut-$(basename "$lbl")"
done
cp "$samples/V05INFO.TXT" "$out/label/info"
for name in V0501.img V0106.IMG V01.IMG ed512.img 69_131A.IMG v05.img; do
  printf '%s' "$name" >"$out/label/name-$name"
done

# Keyword labels: the samples' whole, and the ways a label goes wrong.
cp "$samples"/*.lbl "$out/odl/"
printf 'OBJECT = A\r\n  GROUP = B\r\n    K = (1 <KM>, {X, "y"})\r\n  END_GROUP = A\r\nEND_OBJECT\r\n' >"$out/odl/unbalanced"
printf 'NOTE = "never\r\n closed\r\nEND\r\n' >"$out/odl/unterminated"
printf '^IMAGE = ("V0512.IMG", 2)\r\n/* open comment\r\nX = 16#FF# <M/PIXEL>\r\n' >"$out/odl/comment"
printf 'A = ((((((((1))))))))\r\nOBJECT = O\r\nOBJECT = O\r\nOBJECT = O\r\nEND\r\n' >"$out/odl/nested"
# Map figures of the flat form of the era's radar images: bounds only.
printf 'TARGET_NAME = VENUS\r\nMAP_PROJECTION_TYPE = MERCATOR\r\nMAP_SCALE = 25.00\r\nMAXIMUM_LATITUDE = -10.05\r\nMINIMUM_LATITUDE = -45.00\r\nMAXIMUM_LONGITUDE = 319.96\r\nMINIMUM_LONGITUDE = 265.00\r\nOBJECT = IMAGE\r\n LINES = 1011\r\n LINE_SAMPLES = 1376\r\nEND_OBJECT\r\nEND\r\n' >"$out/odl/flat-bounds"

# File lists: the sample folder's names, eight to a seed at most.
(cd "$samples" && ls) | split -l 8 - "$out/file_list/names-"
printf 'V0501.img\nV0501.img\nv0501.img\nV00.img\nV28.img\nV27\nV01.IMG\n' >"$out/file_list/rules"

# The GDAL driver: name, length index (254 keeps the cut length), option
# flags, their values and levels, whether the label is written; then the
# label's length, the label and the image's first 16 KiB.
driver_rows=(
  "0 8 0 0 0 0 0 1"       # V0501.img, 1052 x 660, no options
  "1 24 3 0 2 0 0 1"      # V2712.IMG, 1036 x 1120, stretch and despeckle
  "0 254 0 0 0 0 0 1"     # an unlisted length: the label decides
  "2 18 96 14 250 5 3 1"  # V05.img, 996 x 932, both reductions and levels
  "0 13 0 16 0 0 0 0"     # the original picture, no label
)
n=0
for lbl in "$samples"/*.lbl; do
  image=$(ls "${lbl%.lbl}".img "${lbl%.lbl}".IMG 2>/dev/null | head -n 1) || true
  [ -n "$image" ] || continue
  set -- ${driver_rows[$((n % ${#driver_rows[@]}))]}
  length=$(stat -c %s "$lbl")
  {
    printf "$(printf '\\x%02x' "$@" $((length & 255)) $((length >> 8 & 255)))"
    cat "$lbl"
    head -c 16384 "$image"
  } >"$out/gdal_driver/seed$n"
  n=$((n + 1))
done

rm -rf "$samples"
