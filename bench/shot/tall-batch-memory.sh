#!/bin/sh
# Whether pagrovix-shot stays inside a container's memory: 24 pages of 1280 x 100000 rows (a
# 384 MB picture each) captured with --jobs 1, 4 and 16 inside a 4 GB memory control group.
# Prints, for each, the wall-clock time, the group's peak memory (every process of the run), the
# pages written and failed, and whether the kernel killed anything for memory. Then the time per
# page of a long list of small pages (LIST_PAGES, default 1000; 10000 for the full figure).
#
# usage: sh bench/shot/tall-batch-memory.sh BUILD_DIR   (PAGES=n, JOBS="1 4 16", LIMIT_MB=4096)
# Needs root and a writable memory control group (version 1 or 2); says so and skips otherwise.
set -u
build=$(cd "${1:-build}" && pwd)
shot="$build/shot/pagrovix-shot"
count=${PAGES:-24}
jobs_list=${JOBS:-"1 4 16"}
limit_mb=${LIMIT_MB:-4096}
list_pages=${LIST_PAGES:-1000}
work="$build/bench-shot/tall-memory"
rm -rf "$work"
mkdir -p "$work/pages" "$work/out"

if [ ! -x "$shot" ]; then
    echo "tall-batch-memory.sh: $shot is not built" >&2
    exit 1
fi

# The group beside this shell's own.
home=""
version=""
while IFS=: read -r _ controllers path; do
    case ",$controllers," in
    *,memory,*) home="/sys/fs/cgroup/memory$path" version=1 ;;
    ,,) [ -z "$home" ] && home="/sys/fs/cgroup$path" version=2 ;;
    esac
done </proc/self/cgroup
home=${home%/}
group="$home/pagrovix-bench-$$"
if [ -z "$home" ] || ! mkdir "$group" 2>/dev/null; then
    echo "tall-batch-memory.sh: no memory control group can be made here; skipped" >&2
    exit 0
fi
trap 'rmdir "$group" 2>/dev/null' EXIT
if [ "$version" = 1 ]; then
    limit_file=memory.limit_in_bytes peak_file=memory.max_usage_in_bytes
else
    limit_file=memory.max peak_file=memory.peak
fi
echo $((limit_mb * 1024 * 1024)) >"$group/$limit_file"

i=1
while [ "$i" -le "$count" ]; do
    printf '<body style="margin:0;height:100000px;background:linear-gradient(#%02x0000,#0000%02x)">' \
        $((i * 10)) $((255 - i * 10)) >"$work/pages/p$i.html"
    echo "$work/pages/p$i.html $work/out/p$i.png" >>"$work/list.txt"
    i=$((i + 1))
done

kills() {
    if [ "$version" = 1 ]; then
        sed -n 's/^oom_kill //p' "$group/memory.oom_control"
    else
        sed -n 's/^oom_kill //p' "$group/memory.events"
    fi
}

echo "| --jobs | seconds | peak MB (all processes) | written | failed | killed for memory |"
echo "|---:|---:|---:|---:|---:|---:|"
for jobs in $jobs_list; do
    rm -f "$work/out/"*.png
    echo 0 >"$group/$peak_file" 2>/dev/null
    before=$(kills)
    start=$(date +%s.%N)
    sh -c 'echo $$ >"$1/cgroup.procs"; shift; exec "$@"' sh "$group" env -u DISPLAY "$shot" \
        --quiet --jobs "$jobs" --list "$work/list.txt" 2>"$work/jobs$jobs.log"
    status=$?
    end=$(date +%s.%N)
    peak=$(($(cat "$group/$peak_file") / 1024 / 1024))
    written=$(ls "$work/out" | wc -l)
    killed=$(($(kills) - before))
    printf '| %s | %.1f | %s | %s | %s | %s |\n' "$jobs" "$(awk "BEGIN { print $end - $start }")" "$peak" \
        "$written" "$((count - written))" "$killed"
    [ "$status" -le 1 ] || echo "tall-batch-memory.sh: --jobs $jobs ended with status $status" >&2
done

# A long list of small pages: the time a page costs must not grow with the list.
: >"$work/small.txt"
printf '<body style="margin:0;height:900px;background:teal">' >"$work/pages/small.html"
i=1
while [ "$i" -le "$list_pages" ]; do
    echo "$work/pages/small.html $work/out/s$i.bmp" >>"$work/small.txt"
    i=$((i + 1))
done
rm -f "$work/out/"*
start=$(date +%s.%N)
sh -c 'echo $$ >"$1/cgroup.procs"; shift; exec "$@"' sh "$group" env -u DISPLAY "$shot" --quiet \
    --list "$work/small.txt" 2>"$work/small.log"
end=$(date +%s.%N)
printf '\n%s small pages in one list: %.1f ms per page\n' "$list_pages" \
    "$(awk "BEGIN { print ($end - $start) * 1000 / $list_pages }")"
rm -rf "$work/out"
