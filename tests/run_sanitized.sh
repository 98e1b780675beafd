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
