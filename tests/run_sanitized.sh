#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# run_sanitized.sh [BUILD_DIR]
# Configures a build of everything with AddressSanitizer and
# UndefinedBehaviorSanitizer (-DDUSK_SANITIZE=ON, plus the standard library's
# own bounds checks), builds it in BUILD_DIR (default: build-sanitize beside
# this folder) and runs the whole test suite under them, the random walk of
# 2,000 steps through the window included (random_walk_tests; give
# DUSK_WALK_SEED for a second walk from another seed). A sanitizer report
# ends the test that raised it with a failure, and so fails the run; so does
# any leak at exit (no leak is suppressed, Qt's included).
# Then builds the tests that run threads with ThreadSanitizer in
# BUILD_DIR-thread (the collection overview's workers, the records of
# workers rendering at once, the exporter's batches, the Quad Mosaic's
# workers and the mosaic library's, the marks store) and runs them; any
# report fails the run.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
source=$(dirname "$here")
build=${1:-$source/build-sanitize}

cmake -S "$source" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DDUSK_SANITIZE=ON \
  -DCMAKE_CXX_FLAGS="-D_GLIBCXX_ASSERTIONS"
cmake --build "$build" -j2

export ASAN_OPTIONS=detect_leaks=1:halt_on_error=1:detect_stack_use_after_return=1:check_initialization_order=1:strict_init_order=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
ctest --test-dir "$build" --output-on-failure -j2

# ThreadSanitizer: the threads' hand-overs use the standard library's
# primitives, which it sees; Qt's own libraries are not instrumented, and
# tsan.supp leaves out what passes between Qt's own threads only.
thread_build=${build}-thread
cmake -S "$source" -B "$thread_build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_FLAGS="-fsanitize=thread"
cmake --build "$thread_build" -j2 --target overview_tests core_tests export_tests quad_mosaic_tests mosaic_tests marks_tests
export TSAN_OPTIONS="halt_on_error=1:abort_on_error=1:second_deadlock_stack=1:suppressions=$here/tsan.supp"
export QTEST_DISABLE_STACK_DUMP=1
ctest --test-dir "$thread_build" --output-on-failure -j2 \
  -R '^(overview_tests|quad_mosaic_tests|mosaic\..*|marks\.MarksStore\..*|core\.ImageStateTest\..*|export\.(ExportTest\.SeveralAtATime.*|ExportTest\.Batch.*|ThumbnailTest\..*))$'
