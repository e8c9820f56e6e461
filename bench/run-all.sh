#!/bin/sh
# Runs every benchmark program of a build (under a private X server, for those that need one) and
# then every benchmark script, printing their figures.
set -u
build=${1:-build}
here=$(cd "$(dirname "$0")" && pwd)
status=0
for program in $(find "$build/bench" -type f -perm -u+x -name 'pagrovix_bench_*' | sort); do
    echo "== $(basename "$program")"
    "$here/../tools/with-xvfb.sh" "$program" || status=1
done
for script in $(find "$here" -mindepth 2 -type f -name '*.sh' | sort); do
    echo "== $(basename "$script")"
    sh "$script" "$build" || status=1
done
exit $status
