#!/bin/sh
# Runs every benchmark program of a build (under a private X server, for those that need one) and
# then every benchmark script, printing their figures.
set -u
build=${1:-build}
here=$(cd "$(dirname "$0")" && pwd)
status=0
# The capture benchmark also measures documentation pages that Debian installs.
if ! dpkg-query -W -f='${Status}' nettle-dev 2>/dev/null | grep -q "install ok installed"; then
    if [ "$(id -u)" -eq 0 ]; then
        { apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq nettle-dev; } \
            >/dev/null 2>&1 ||
            echo "run-all.sh: nettle-dev could not be installed" >&2
    else
        echo "run-all.sh: install nettle-dev for the capture benchmark's real pages" >&2
    fi
fi
for program in $(find "$build/bench" -type f -perm -u+x -name 'pagrovix_bench_*' | sort); do
    echo "== $(basename "$program")"
    "$here/../tools/with-xvfb.sh" "$program" || status=1
done
# bench-tools.sh only holds what the scripts share.
for script in $(find "$here" -mindepth 2 -type f -name '*.sh' ! -name bench-tools.sh | sort); do
    echo "== $(basename "$script")"
    sh "$script" "$build" || status=1
done
exit $status
