#!/usr/bin/env bash
# Runs the tests of a coverage build and reports line and branch coverage of the
# libraries and the program: run-coverage.sh BUILD_DIR (from the source directory).
# Prints the summary and writes an HTML report to BUILD_DIR/report/index.html.
# Branches of exception paths that the compiler adds to calls, and branches it can
# prove unreachable, are left out of the branch figure.
set -euo pipefail
build=$1
find "$build" -name '*.gcda' -delete
# A test that limits the program's file size or memory also stops the program from
# writing its counters (libgcov says so on standard error, which such tests check):
# a failure here is reported, and the figures are still printed.
ctest --test-dir "$build" --output-on-failure -j 2 ||
  echo "coverage: some tests failed under instrumentation (make test runs them plainly)"
mkdir -p "$build/report"
gcovr --root . "$build" -j 2 \
  --filter foundation/ --filter dispc/ --filter screen/ --filter tools/ \
  --exclude tests/ --exclude bench/ --exclude fuzz/ --exclude examples/ \
  --exclude-throw-branches --exclude-unreachable-branches \
  --html-details "$build/report/index.html" --print-summary
echo "coverage: HTML report in $build/report/index.html"
