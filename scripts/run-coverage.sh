#!/usr/bin/env bash
# Runs the tests of a coverage build and reports line and branch coverage of the
# libraries and the program: run-coverage.sh BUILD_DIR (from the source directory).
# Prints the summary and writes an HTML report to BUILD_DIR/report/index.html.
# Branches of exception paths that the compiler adds to calls, and branches it can
# prove unreachable, are left out of the branch figure.
set -euo pipefail
build=$1
find "$build" -name '*.gcda' -delete
# The tests that limit the program's file size or memory also stop it from writing
# its counters whole, and a counter file cut short spoils every later run's: they run
# first, with their counters written aside (GCOV_PREFIX), and the others after them.
limited='Program.(FailedWrites|RefusedInputs)'
# The counters' own complaints (a file cut short, counters that do not merge) go to a
# file of their own, not to the standard error that the program's tests read.
export GCOV_ERROR_FILE="$PWD/$build/gcov-errors.txt"
rm -f "$GCOV_ERROR_FILE"
status=0
GCOV_PREFIX="$PWD/$build/limited-counters" ctest --test-dir "$build" --output-on-failure -R "$limited" || status=1
rm -rf "$build/limited-counters"
ctest --test-dir "$build" --output-on-failure -j 2 -E "$limited" || status=1
[ "$status" -eq 0 ] || echo "coverage: some tests failed under instrumentation (make test runs them plainly)"
mkdir -p "$build/report"
gcovr --root . "$build" -j 2 \
  --filter foundation/ --filter dispc/ --filter screen/ --filter tools/ \
  --exclude tests/ --exclude bench/ --exclude fuzz/ --exclude examples/ \
  --exclude-throw-branches --exclude-unreachable-branches \
  --html-details "$build/report/index.html" --print-summary
echo "coverage: HTML report in $build/report/index.html"
