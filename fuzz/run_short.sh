#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# run_short.sh BUILD_DIR [SECONDS]
# Runs the fuzz targets of an already built fuzz build (configured with
# -DDUSK_BUILD_FUZZERS=ON, see fuzz/CMakeLists.txt) one after the other, from
# a fresh seed corpus, for SECONDS (default 60) each, except that the two
# label readers share one SECONDS between them. Builds nothing. Fails on the
# first crash, sanitizer report or hang; the input that caused it is kept in
# BUILD_DIR/fuzz-artifacts.
set -euo pipefail

if [ $# -lt 1 ] || [ $# -gt 2 ]; then
  echo "usage: $0 BUILD_DIR [SECONDS]" >&2
  exit 2
fi
build=$(cd "$1" && pwd)
seconds=${2:-60}
here=$(cd "$(dirname "$0")" && pwd)

work=$(mktemp -d /tmp/dusk-fuzz-run-XXXXXX)
trap 'rm -rf "$work"' EXIT
"$here/make_seeds.sh" "$build/tools/duskmapper-samples" "$work/seeds"
artifacts=$build/fuzz-artifacts
mkdir -p "$artifacts"

# Target, input length limit, seeds, share of SECONDS in percent: 16 control
# bytes and 64 KiB of image for the render path; a little more than the 7,000
# bytes the Info box reads; 16 KiB of keyword label (the reader is linear, so
# longer inputs find nothing new, only run slower); eight names of up to 255
# bytes for the list builder.
targets=(
  "load_render_fuzz 65552 load_render 100"
  "label_fuzz 8192 label 50"
  "odl_fuzz 16384 odl 50"
  "file_list_fuzz 2100 file_list 100"
)
export ASAN_OPTIONS=${ASAN_OPTIONS:-abort_on_error=1:detect_leaks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
status=0
for entry in "${targets[@]}"; do
  set -- $entry
  target=$1 max_len=$2 seeds=$3
  time=$((seconds * $4 / 100))
  [ "$time" -ge 1 ] || time=1
  binary=$build/fuzz/$target
  if [ ! -x "$binary" ]; then
    echo "$binary is missing: build the fuzz targets first" >&2
    exit 2
  fi
  mkdir -p "$work/corpus-$target"
  echo "== $target: $time s, -max_len=$max_len"
  if ! "$binary" -max_total_time="$time" -max_len="$max_len" -timeout=20 -rss_limit_mb=2048 \
      -print_final_stats=1 -artifact_prefix="$artifacts/$target-" \
      "$work/corpus-$target" "$work/seeds/$seeds" >"$work/$target.log" 2>&1; then
    tail -n 60 "$work/$target.log" >&2
    echo "== $target FAILED; inputs kept in $artifacts" >&2
    status=1
    continue
  fi
  grep -E '^stat::number_of_executed_units|^stat::peak_rss_mb' "$work/$target.log" | sed "s/^/$target /"
done
exit $status
