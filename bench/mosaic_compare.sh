#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# duskmapper-export --mosaic of a quad of 20 tiles of 1052 x 660 (five
# across, four down, on one 1 km Lambert grid) to a COG GeoTIFF, against
# GDAL's own tools doing the same from the tiles' GeoTIFFs (gdalbuildvrt
# with level 0 as no data and an alpha band, then gdal_translate -of COG with
# the same creation options), side by side in one hyperfine run, with the
# ratio of the medians.
#
# Needs the README's build plus: apt-get install -y hyperfine gdal-bin
# Usage: bench/mosaic_compare.sh [BUILD_DIR]   (default: build)
set -euo pipefail

build=${1:-build}
export_tool=$(cd "$build/tools" && pwd)/duskmapper-export
for tool in hyperfine gdalbuildvrt gdal_translate; do
  command -v "$tool" >/dev/null || { echo "mosaic_compare.sh: $tool is missing" >&2; exit 2; }
done
[ -x "$export_tool" ] || { echo "mosaic_compare.sh: build duskmapper-export first" >&2; exit 2; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for n in $(seq 1 20); do
  name=$(printf 'V20%02d' "$n")
  column=$(( (n - 1) % 5 ))
  row=$(( (n - 1) / 5 ))
  head -c $((1052 * 660)) /dev/urandom >"$work/$name.img"
  cat >"$work/$name.lbl" <<LABEL
PDS_VERSION_ID = PDS3
RECORD_TYPE = FIXED_LENGTH
RECORD_BYTES = 1052
FILE_RECORDS = 660
^IMAGE = "$name.img"
TARGET_NAME = VENUS
OBJECT = IMAGE
  LINES = 660
  LINE_SAMPLES = 1052
  SAMPLE_TYPE = UNSIGNED_INTEGER
  SAMPLE_BITS = 8
END_OBJECT = IMAGE
OBJECT = IMAGE_MAP_PROJECTION
  MAP_PROJECTION_TYPE = "LAMBERT_CONFORMAL_CONIC"
  A_AXIS_RADIUS = 6051.8 <KM>
  B_AXIS_RADIUS = 6051.8 <KM>
  C_AXIS_RADIUS = 6051.8 <KM>
  FIRST_STANDARD_PARALLEL = 40.0 <DEG>
  SECOND_STANDARD_PARALLEL = 60.0 <DEG>
  CENTER_LATITUDE = 50.0 <DEG>
  CENTER_LONGITUDE = 30.0 <DEG>
  LINE_PROJECTION_OFFSET = $(( 1320 - row * 660 )).0
  SAMPLE_PROJECTION_OFFSET = $(( 2630 - column * 1052 )).0
  MAP_SCALE = 1.0 <KM/PIXEL>
  POSITIVE_LONGITUDE_DIRECTION = EAST
END_OBJECT = IMAGE_MAP_PROJECTION
END
LABEL
done
# The tiles' own GeoTIFFs, as GDAL's side starts from them.
"$export_tool" --quiet --format tiff "$work"/V20??.img -o "$work/tiles"

hyperfine --warmup 1 --runs "${RUNS:-10}" --export-json "$work/times.json" \
  -n "duskmapper-export --mosaic" \
  "'$export_tool' --mosaic '$work'/V20??.img -o '$work/quad.tif'" \
  -n "gdalbuildvrt + gdal_translate -of COG" \
  "gdalbuildvrt -q -srcnodata 0 -addalpha '$work/quad.vrt' '$work'/tiles/*.tif && gdal_translate -q -of COG -co COMPRESS=DEFLATE -co LEVEL=1 -co NUM_THREADS=ALL_CPUS -co OVERVIEW_RESAMPLING=AVERAGE '$work/quad.vrt' '$work/quad_gdal.tif'"
python3 - "$work/times.json" <<'PY'
import json, sys
results = json.load(open(sys.argv[1]))["results"]
ours, gdal = (r["median"] for r in results)
print(f"medians: --mosaic {ours * 1000:.0f} ms, GDAL's tools {gdal * 1000:.0f} ms, ratio (GDAL / --mosaic) {gdal / ours:.2f}")
PY
gdalinfo "$work/quad.tif" | grep -E "^Size|LAYOUT|Origin"
