#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# gdal_tools_test.sh PLUGIN_DIR EXPORTER SAMPLES_TOOL
# GDAL's own programs with the VENERA plugin of PLUGIN_DIR, as a user runs
# them: gdalinfo on every image of a fresh sample collection gives the size,
# reference system and corners of the exporter's GeoTIFF and the keywords;
# other files still go to GDAL's other drivers; gdal_translate of a tile
# equals the exporter's GeoTIFF; gdalbuildvrt puts the tiles of a quad edge
# to edge; gdal_edit cannot change a tile.
set -euo pipefail

export GDAL_DRIVER_PATH=$1
exporter=$2
samples_tool=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}
driver_of() { gdalinfo "$1" 2>/dev/null | sed -n 's/^Driver: \([^/]*\).*/\1/p'; }
# The geotransform and the corners with their latitudes and longitudes,
# which the reference system gives (a GeoTIFF spells the same system
# otherwise than the label's WKT).
placement() { sed -n -e '/^Origin/p' -e '/^Pixel Size/p' -e '/^Corner/,/^Center/p'; }
# gdalinfo without the files' names and the no-data level.
described() { gdalinfo -checksum -nomd "$1" | sed -e '/^Files:/,/^Size is/{/^Size is/!d}' -e '/NoData Value=/d'; }

"$samples_tool" "$work/samples" >/dev/null
shopt -s nullglob
taken=0
georeferenced=0
first=
for image in "$work"/samples/*.img "$work"/samples/*.IMG; do
  name=$(basename "$image")
  [ "$(driver_of "$image")" = VENERA ] || continue
  taken=$((taken + 1))
  [ -n "$first" ] || first=$image
  "$exporter" --quiet "$image" -o "$work/$name.tif"
  info=$(gdalinfo "$image")
  exported=$(gdalinfo "$work/$name.tif")
  size=$(grep '^Size is' <<<"$info")
  [ "$size" = "$(grep '^Size is' <<<"$exported")" ] || fail "$name: $size"
  if grep -q '^Corner Coordinates' <<<"$exported"; then
    georeferenced=$((georeferenced + 1))
    diff <(placement <<<"$info") <(placement <<<"$exported") >&2 ||
      fail "$name: other corners than the exporter's GeoTIFF"
  fi
  label="$work/samples/${name:0:5}.lbl"
  if [ -f "$label" ] && ! grep -q '^Metadata:' <<<"$info"; then fail "$name: no keywords"; fi
done
[ "$taken" -ge 2 ] || fail "only $taken sample images were taken by VENERA"
[ "$georeferenced" -ge 1 ] || fail "no sample image has a georeference"

# Other files: the exporter's PNG of a tile, a GeoTIFF and ENVI rasters,
# one of them named like a collection image, go to GDAL's own drivers.
exported=$work/$(basename "$first").tif
"$exporter" --quiet "$first" -o "$work/V0501.png"
envi() { printf 'ENVI\nsamples = %s\nlines = %s\nbands = 1\nheader offset = 0\ndata type = 1\ninterleave = bsq\nbyte order = 0\n' "$@"; }
head -c 1000000 /dev/urandom >"$work/V0599.img"
envi 1000 1000 >"$work/V0599.hdr"
head -c 694320 /dev/urandom >"$work/tile.img"
envi 1052 660 >"$work/tile.hdr"
for other in "$work/V0501.png:PNG" "$exported:GTiff" "$work/V0599.img:ENVI" "$work/tile.img:ENVI"; do
  [ "$(driver_of "${other%:*}")" = "${other##*:}" ] || fail "${other%:*} is not read by ${other##*:}"
done

# gdal_translate of a tile equals the exporter's GeoTIFF (the no-data level
# aside, which the translation carries over).
gdal_translate -q "$first" "$work/translated.tif"
diff <(described "$exported") <(described "$work/translated.tif") >&2 ||
  fail "gdal_translate of $(basename "$first") differs from the exporter's GeoTIFF"

# A quad of 2 x 2 tiles of one Lambert conformal map: the mosaic is exactly
# the four tiles side by side.
mkdir "$work/quad"
tile=0
for row in 0 1; do
  for column in 0 1; do
    tile=$((tile + 1))
    head -c 694320 /dev/urandom >"$work/quad/V070$tile.img"
    cat >"$work/quad/V070$tile.lbl" <<LABEL
PDS_VERSION_ID = PDS3
OBJECT = IMAGE
  LINES = 660
  LINE_SAMPLES = 1052
  SAMPLE_BITS = 8
END_OBJECT = IMAGE
OBJECT = IMAGE_MAP_PROJECTION
  MAP_PROJECTION_TYPE = "LAMBERT CONFORMAL CONIC"
  A_AXIS_RADIUS = 6051.8 <KM>
  FIRST_STANDARD_PARALLEL = 47.0 <DEG>
  SECOND_STANDARD_PARALLEL = 63.0 <DEG>
  CENTER_LATITUDE = 55.0 <DEG>
  CENTER_LONGITUDE = 309.0 <DEG>
  LINE_PROJECTION_OFFSET = $((660 - row * 660)).0
  SAMPLE_PROJECTION_OFFSET = $((1052 - column * 1052)).0
  MAP_SCALE = 2.0 <KM/PIXEL>
END_OBJECT = IMAGE_MAP_PROJECTION
END
LABEL
  done
done
gdalbuildvrt -q "$work/quad.vrt" "$work"/quad/V070?.img
grep -q '^Size is 2104, 1320$' < <(gdalinfo "$work/quad.vrt") || fail "the quad's mosaic is not 2104 x 1320"
tile=0
for row in 0 1; do
  for column in 0 1; do
    tile=$((tile + 1))
    gdal_translate -q -srcwin $((column * 1052)) $((row * 660)) 1052 660 "$work/quad.vrt" "$work/part.tif"
    [ "$(gdalinfo -checksum "$work/part.tif" | grep Checksum)" = \
      "$(gdalinfo -checksum "$work/quad/V070$tile.img" | grep Checksum)" ] ||
      fail "tile $tile is not at its place in the mosaic"
  done
done

# gdal_edit opens for update: refused with the driver's message, the tile
# unchanged.
before=$(md5sum <"$work/quad/V0701.img")
if command -v gdal_edit.py >/dev/null; then
  if gdal_edit.py -a_srs EPSG:4326 "$work/quad/V0701.img" 2>"$work/edit.err"; then fail "gdal_edit changed a tile"; fi
  grep -q 'opens only for reading' "$work/edit.err" || fail "gdal_edit was not told why: $(cat "$work/edit.err")"
fi
[ "$before" = "$(md5sum <"$work/quad/V0701.img")" ] || fail "the tile changed"
[ ! -e "$work/quad/V0701.img.aux.xml" ] || fail "a sidecar was written beside a tile"

[ "$failures" -eq 0 ] && echo "all GDAL tool checks passed"
exit "$failures"
