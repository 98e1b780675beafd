#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# gdalinfo of a 1036 x 1120 tile through the VENERA driver against gdalinfo
# of the same samples described by an ENVI header (GDAL's own raw driver)
# with the same georeference, side by side in one hyperfine run, with the
# ratio of the medians; and the same without a georeference on either side:
# the tile without its label against an ENVI header without map info (no
# reference system to build, no corner coordinates to work out).
#
# Needs the README's build plus: apt-get install -y hyperfine gdal-bin
# Usage: bench/gdal_compare.sh [BUILD_DIR]   (default: build)
set -euo pipefail

build=${1:-build}
plugin_dir=$(cd "$build/gdal" && pwd)
for tool in hyperfine gdalinfo gdalsrsinfo; do
  command -v "$tool" >/dev/null || { echo "gdal_compare.sh: $tool is missing" >&2; exit 2; }
done
[ -f "$plugin_dir/gdal_VENERA.so" ] || { echo "gdal_compare.sh: build gdal_VENERA first" >&2; exit 2; }
export GDAL_DRIVER_PATH=$plugin_dir

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
head -c 1160320 /dev/urandom >"$work/V0501.img"
# A label of the era: the image, its map projection and a few keywords.
cat >"$work/V0501.lbl" <<'LABEL'
PDS_VERSION_ID                  = PDS3
RECORD_TYPE                     = FIXED_LENGTH
RECORD_BYTES                    = 1036
FILE_RECORDS                    = 1120
^IMAGE                          = "V0501.img"
SPACECRAFT_NAME                 = "VENERA 15"
TARGET_NAME                     = VENUS
OBJECT                          = IMAGE
  LINES                         = 1120
  LINE_SAMPLES                  = 1036
  SAMPLE_TYPE                   = UNSIGNED_INTEGER
  SAMPLE_BITS                   = 8
END_OBJECT                      = IMAGE
OBJECT                          = IMAGE_MAP_PROJECTION
  MAP_PROJECTION_TYPE           = "LAMBERT CONFORMAL CONIC"
  A_AXIS_RADIUS                 = 6051.8 <KM>
  B_AXIS_RADIUS                 = 6051.8 <KM>
  C_AXIS_RADIUS                 = 6051.8 <KM>
  FIRST_STANDARD_PARALLEL       = 47.0 <DEG>
  SECOND_STANDARD_PARALLEL      = 63.0 <DEG>
  CENTER_LATITUDE               = 55.0 <DEG>
  CENTER_LONGITUDE              = 309.0 <DEG>
  LINE_PROJECTION_OFFSET        = 560.0
  SAMPLE_PROJECTION_OFFSET      = 518.0
  MAP_SCALE                     = 2.0 <KM/PIXEL>
  POSITIVE_LONGITUDE_DIRECTION  = EAST
END_OBJECT                      = IMAGE_MAP_PROJECTION
END
LABEL
# The same samples and georeference for the ENVI driver.
ln "$work/V0501.img" "$work/envi.img"
origin=$(gdalinfo "$work/V0501.img" | sed -n 's/^Origin = (\(.*\),\(.*\))$/\1, \2/p')
cat >"$work/envi.hdr" <<HEADER
ENVI
samples = 1036
lines = 1120
bands = 1
header offset = 0
data type = 1
interleave = bsq
byte order = 0
data ignore value = 0
map info = {Lambert Conformal Conic, 1, 1, $origin, 2000, 2000, units=Meters}
coordinate system string = {$(gdalsrsinfo -o wkt_esri --single-line "$work/V0501.img")}
HEADER
head -n 8 "$work/envi.hdr" >"$work/bare.hdr"
ln "$work/V0501.img" "$work/bare.img"
ln "$work/V0501.img" "$work/V0502.img"
gdalinfo "$work/envi.img" | grep -q '^Driver: ENVI' || { echo "gdal_compare.sh: ENVI did not take the header" >&2; exit 1; }

hyperfine --warmup 3 --min-runs 30 --style basic --export-json "$work/info.json" \
  "gdalinfo $work/V0501.img" "gdalinfo $work/envi.img" "gdalinfo $work/V0502.img" "gdalinfo $work/bare.img" \
  >/dev/null
mapfile -t m < <(grep -o '"median": *[0-9.e+-]*' "$work/info.json" | sed 's/.*: *//')
printf 'gdalinfo through VENERA  %8.2f ms\n' "$(awk -v s="${m[0]}" 'BEGIN { print s * 1000 }')"
printf 'gdalinfo through ENVI    %8.2f ms\n' "$(awk -v s="${m[1]}" 'BEGIN { print s * 1000 }')"
printf 'VENERA / ENVI            %8.2f\n' "$(awk -v a="${m[0]}" -v b="${m[1]}" 'BEGIN { print a / b }')"
printf 'without a georeference:\n'
printf 'gdalinfo through VENERA  %8.2f ms\n' "$(awk -v s="${m[2]}" 'BEGIN { print s * 1000 }')"
printf 'gdalinfo through ENVI    %8.2f ms\n' "$(awk -v s="${m[3]}" 'BEGIN { print s * 1000 }')"
printf 'VENERA / ENVI            %8.2f\n' "$(awk -v a="${m[2]}" -v b="${m[3]}" 'BEGIN { print a / b }')"
