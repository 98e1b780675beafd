#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Whole-process times of duskmapper-export against the general tools one
# would otherwise use to turn these images into bitmaps, side by side in one
# run, with the ratios of the medians.
#
# Then a batch of 100 with one worker against two, the machine's two cores.
#
# Needs the README's build plus: apt-get install -y hyperfine imagemagick netpbm
# Usage: bench/compare.sh [BUILD_DIR] [jobs|samples]   (default: build;
# "jobs": only the one-worker against two-worker comparison, "samples": only
# the time the build spends laying out the sample volume; both need only
# hyperfine)
set -euo pipefail

build=${1:-build}
only=${2:-}
export_tool=$build/tools/duskmapper-export
samples_tool=$build/tools/duskmapper-samples
tools=("$export_tool" "$samples_tool" hyperfine)
[ -n "$only" ] || tools+=(convert rawtopgm pgmtoppm ppmtobmp)
for tool in "${tools[@]}"; do
  command -v "$tool" >/dev/null || { echo "compare.sh: $tool is missing" >&2; exit 2; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
if [ "$only" = samples ]; then
  # What the build adds once: the whole volume, written afresh each run.
  hyperfine --warmup 1 --runs 10 --style basic --prepare "rm -rf $work/volume" "$samples_tool $work/volume"
  exit 0
fi
"$samples_tool" "$work/samples" >/dev/null
image=$work/samples/V05.img  # the browse image of quad V05: 1052 x 660
width=1052
height=660
mkdir -p "$work/batch" "$work/out"
for i in $(seq -w 1 100); do cp "$image" "$work/batch/V05_$i.img"; done

# Median of each command of a hyperfine JSON export, one per line, in order.
medians() { grep -o '"median": *[0-9.e+-]*' "$1" | sed 's/.*: *//'; }

# compare NAME RUNS OURS THEIRS... : runs all, prints each median and THEIRS/OURS.
compare() {
  local name=$1 runs=$2
  shift 2
  # Every command writes a new file, as a conversion usually does.
  hyperfine --warmup 2 --min-runs "$runs" --style basic --prepare "rm -rf $work/out/*" \
    --export-json "$work/$name.json" "$@" >/dev/null
  mapfile -t m < <(medians "$work/$name.json")
  printf '%s\n' "$name"
  local i=0
  for cmd in "$@"; do
    printf '  %8.2f ms  %s\n' "$(awk -v s="${m[$i]}" 'BEGIN { print s * 1000 }')" "$cmd"
    i=$((i + 1))
  done
  for ((i = 1; i < ${#m[@]}; i++)); do
    printf '  duskmapper-export is %.1f x faster than command %d\n' \
      "$(awk -v a="${m[$i]}" -v b="${m[0]}" 'BEGIN { print a / b }')" "$((i + 1))"
  done
}

# Run times of the Nth command of a hyperfine JSON export, in seconds, one a line.
run_times() {
  awk -v want="$2" '/"times":/ { n++; on = n == want; next } on && /\]/ { on = 0 } on { gsub(/[ ,]/, ""); print }' "$1"
}
median() { sort -g | awk '{ v[NR] = $1 } END { print NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

# The batch of 100 with one worker against two; outputs and messages are the
# same, only the time may differ. The machine is shared, so the two take
# turns in short rounds and each median is over the runs of all rounds.
compare_jobs() {
  local rounds=6 r one two
  : >"$work/jobs1.times"
  : >"$work/jobs2.times"
  for ((r = 1; r <= rounds; r++)); do
    hyperfine --warmup 1 --runs 5 --style none --prepare "rm -rf $work/out/*" --export-json "$work/jobs.json" \
      "$export_tool --quiet --jobs 1 $work/batch/*.img -o $work/out/batch" \
      "$export_tool --quiet --jobs 2 $work/batch/*.img -o $work/out/batch" >/dev/null
    run_times "$work/jobs.json" 1 >>"$work/jobs1.times"
    run_times "$work/jobs.json" 2 >>"$work/jobs2.times"
  done
  one=$(median <"$work/jobs1.times")
  two=$(median <"$work/jobs2.times")
  printf 'batch-of-100, one worker against two (%d rounds of 5 runs each)\n' "$rounds"
  printf '  %8.2f ms  --jobs 1\n' "$(awk -v s="$one" 'BEGIN { print s * 1000 }')"
  printf '  %8.2f ms  --jobs 2\n' "$(awk -v s="$two" 'BEGIN { print s * 1000 }')"
  printf '  --jobs 2 is %.2f x faster than --jobs 1\n' "$(awk -v a="$one" -v b="$two" 'BEGIN { print a / b }')"
}
if [ "$only" = jobs ]; then
  compare_jobs
  exit 0
fi

compare plain 30 \
  "$export_tool --quiet $image -o $work/out/ours.bmp" \
  "convert -size ${width}x${height} -depth 8 gray:$image -type TrueColor bmp3:$work/out/im.bmp" \
  "rawtopgm $width $height $image | pgmtoppm white | ppmtobmp -bpp 24 > $work/out/netpbm.bmp"

compare despeckled 30 \
  "$export_tool --quiet --despeckle $image -o $work/out/ours-d.bmp" \
  "convert -size ${width}x${height} -depth 8 gray:$image -despeckle -type TrueColor bmp3:$work/out/im-d.bmp"

compare batch-of-100 5 \
  "$export_tool --quiet $work/batch/*.img -o $work/out/batch" \
  "for f in $work/batch/*.img; do convert -size ${width}x${height} -depth 8 gray:\$f -type TrueColor bmp3:$work/out/im-batch.bmp; done"

compare_jobs
