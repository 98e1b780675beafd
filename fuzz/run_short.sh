#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# run_short.sh BUILD_DIR [SECONDS]
# Runs every fuzz target of an already built fuzz build (configured with
# -DDUSK_BUILD_FUZZERS=ON, see fuzz/CMakeLists.txt) one after the other, from
# a fresh seed corpus, within SECONDS in all (default 180, seeds included).
# Each target gets its weight's share of the time still left, so the
# differential targets, which compare each stage with its reference, get
# most of it. Builds nothing. Fails on a crash, sanitizer report or hang; the
# input that caused it is kept in BUILD_DIR/fuzz-artifacts.
set -euo pipefail

if [ $# -lt 1 ] || [ $# -gt 2 ]; then
  echo "usage: $0 BUILD_DIR [SECONDS]" >&2
  exit 2
fi
build=$(cd "$1" && pwd)
budget=${2:-180}
deadline=$((SECONDS + budget))
here=$(cd "$(dirname "$0")" && pwd)

work=$(mktemp -d /tmp/dusk-fuzz-run-XXXXXX)
trap 'rm -rf "$work"' EXIT
"$here/make_seeds.sh" "$build/tools/duskmapper-samples" "$work/seeds"
artifacts=$build/fuzz-artifacts
mkdir -p "$artifacts"

# Target, input length limit, seeds, weight: 16 control bytes and 64 KiB of
# image for the render path; a little more than the 7,000 bytes the Info box
# reads, and 16 KiB of keyword label (its reader is linear, so longer inputs
# find nothing new); eight names of up to 255 bytes for the list builder; a
# few control bytes and a small raster for a differential target (a larger
# one for the reduction, whose copy lands around column 400); for the GDAL
# driver, a label and 16 KiB of image; for the marks store, a store file
# (a good store is some 100 KiB) or the damage done to a good one.
targets=(
  "load_render_fuzz 65552 load_render 12"
  "label_fuzz 8192 label 2"
  "odl_fuzz 16384 odl 2"
  "georeference_fuzz 16384 odl 3"
  "file_list_fuzz 2100 file_list 4"
  "gdal_driver_fuzz 32768 gdal_driver 6"
  "marks_store_fuzz 200000 - 4"
  "missing_lines_diff 4096 - 8"
  "orientation_diff 4096 - 8"
  "despeckle_diff 4096 - 8"
  "tones_diff 4096 - 8"
  "invert_diff 4096 - 8"
  "reduce_diff 16384 - 8"
  "bitmap_diff 4096 - 8"
  "readout_diff 64 - 8"
  "area_average_diff 2048 - 8"
  "zoom_diff 4096 - 8"
)
weights_left=0
for entry in "${targets[@]}"; do
  set -- $entry
  weights_left=$((weights_left + $4))
done
# libFuzzer starts and stops a little after the time it is given: a second
# is kept back for each target still to run, and two at the end.
targets_left=$((${#targets[@]} + 2))
export ASAN_OPTIONS=${ASAN_OPTIONS:-abort_on_error=1:detect_leaks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
status=0
for entry in "${targets[@]}"; do
  set -- $entry
  target=$1 max_len=$2 seeds=$3 weight=$4
  left=$((deadline - SECONDS - targets_left))
  seconds=$((left * weight / weights_left))
  weights_left=$((weights_left - weight))
  targets_left=$((targets_left - 1))
  [ "$seconds" -ge 1 ] || seconds=1
  corpora=("$work/corpus-$target")
  [ "$seeds" = - ] || corpora+=("$work/seeds/$seeds")
  binary=$build/fuzz/$target
  if [ ! -x "$binary" ]; then
    echo "$binary is missing: build the fuzz targets first" >&2
    exit 2
  fi
  mkdir -p "$work/corpus-$target"
  echo "== $target: $seconds s, -max_len=$max_len"
  if ! "$binary" -max_total_time="$seconds" -max_len="$max_len" -timeout=20 -rss_limit_mb=2048 \
      -print_final_stats=1 -artifact_prefix="$artifacts/$target-" \
      "${corpora[@]}" >"$work/$target.log" 2>&1; then
    tail -n 60 "$work/$target.log" >&2
    echo "== $target FAILED; inputs kept in $artifacts" >&2
    status=1
    continue
  fi
  grep -E '^stat::number_of_executed_units|^stat::peak_rss_mb' "$work/$target.log" | sed "s/^/$target /"
done
exit $status
