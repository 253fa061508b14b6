#!/usr/bin/env bash
# Builds the program and every test with AddressSanitizer and UndefinedBehaviorSanitizer (clang,
# in ./build-sanitize, which also holds the fuzz targets) and runs the whole suite under Xvfb.
# Every sanitizer report of every process the tests start is collected in one folder: any report
# fails the run, even one from a process whose own exit nobody looks at.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/bootstrap.sh --packages-only
export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=1
cmake --preset sanitize >/dev/null
cmake --build --preset sanitize

reports=$(mktemp -d)
# The program also runs as another user in the install test: it must be able to write here.
chmod 1777 "$reports"
export ASAN_OPTIONS="log_path=$reports/asan${ASAN_OPTIONS:+:$ASAN_OPTIONS}"
export UBSAN_OPTIONS="log_path=$reports/ubsan${UBSAN_OPTIONS:+:$UBSAN_OPTIONS}"
export QT_QPA_PLATFORM=xcb
status=0
(cd build-sanitize && xvfb-run -a -s "-screen 0 1280x800x24" ctest --output-on-failure -j1) ||
    status=$?
shopt -s nullglob
found=("$reports"/*)
if [ ${#found[@]} -gt 0 ]; then
    echo "Sanitizer reports:"
    for report in "${found[@]}"; do
        echo "==== $report"
        cat "$report"
    done
    status=1
fi
rm -rf "$reports"
exit $status
