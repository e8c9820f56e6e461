#!/bin/sh
# Pages per minute and peak memory (all processes together) for one list of local documentation
# pages that a Debian package ships (wx3.2-doc's HTML reference), captured with N pages at a
# time: pagrovix-shot --jobs N, Chromium with N pages open in one browser (chromium-batch.js),
# and wkhtmltoimage run as N processes at once. Prints a Markdown table and the load average.
#
# usage: sh bench/shot/many-pages.sh BUILD_DIR     (PAGES=n pages, default 24; JOBS="1 2 4")
# Installs wx3.2-doc, chromium, wkhtmltopdf and time with apt when missing (as root), and
# playwright-core with npm into BUILD_DIR/bench-shot; no browser is ever downloaded.
set -u
build=$(cd "${1:-build}" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
count=${PAGES:-24}
jobs_list=${JOBS:-"1 2 4"}
shot="$build/shot/pagrovix-shot"
work="$build/bench-shot/many"
mkdir -p "$work"

if [ ! -x "$shot" ]; then
    echo "many-pages.sh: $shot is not built" >&2
    exit 1
fi
docs=/usr/share/doc/wx3.2-doc/html
. "$here/bench-tools.sh"
bench_tools "$build/bench-shot" many-pages.sh wx3.2-doc="$docs"

# The list: the first class reference pages in name order, a mix of short and long ones.
# "ADDRESS NAME" a line, NAME the same for every tool.
list="$work/pages.txt"
: >"$list"
for page in $(ls "$docs"/classwx_*.html 2>/dev/null | grep -v -- '-members' | head -n "$count"); do
    name=$(basename "$page" .html).png
    echo "file://$page $name" >>"$list"
done
pages=$(wc -l <"$list")
if [ "$pages" -lt "$count" ]; then
    echo "many-pages.sh: only $pages pages found in $docs" >&2
    exit 1
fi

# The same list with full output paths, for pagrovix-shot.
shot_list() {
    while read -r url name; do
        echo "$url $1/$name"
    done <"$list"
}

run_once() {  # [--time-only] tool N folder -> "seconds largestMB allMB status allPssMB"
    mode=""
    if [ "$1" = --time-only ]; then
        mode=$1
        shift
    fi
    case $1 in
    pagrovix-shot)
        shot_list "$3" >"$work/shot-list.txt"
        python3 "$here/measure.py" $mode "$work/last.log" env -u DISPLAY "$shot" --quiet \
            --jobs "$2" --list "$work/shot-list.txt" ;;
    chromium)
        [ -d "$playwright" ] && command -v chromium >/dev/null 2>&1 || return
        python3 "$here/measure.py" $mode "$work/last.log" node "$here/chromium-batch.js" \
            "$playwright" "$2" "$list" "$3" ;;
    wkhtmltoimage)
        command -v wkhtmltoimage >/dev/null 2>&1 || return
        python3 "$here/measure.py" $mode "$work/last.log" sh -c "sed 's|\\(.*\\) \\(.*\\)|\\1 $3/\\2|' \
            '$list' | xargs -P $2 -n 2 env QT_QPA_PLATFORM=offscreen wkhtmltoimage --quiet \
            --width 1280 --disable-smart-width --format png" ;;
    esac
}

# Timed with nothing sampled (sampling slows tools of many processes more), then run again with
# its memory sampled: the time of the first, the memory of the second, the files of the first.
run() {  # tool N folder -> "seconds largestMB allMB status allPssMB"
    timed=$(run_once --time-only "$@")
    [ -n "$timed" ] || return
    written=$(find "$3" -name '*.png' -size +0 | wc -l)
    mkdir -p "$3.sampled"
    run_once "$1" "$2" "$3.sampled" | awk -v s="${timed%% *}" '{ $1 = s; print }'
    rm -rf "$3.sampled"
    echo "$written" >"$3.written"
}

echo
echo "$pages pages of $docs (wx3.2-doc), 1280 pixels wide; load average before: $(cut -d' ' -f1-3 /proc/loadavg)"
echo
echo "| N at once | tool | seconds | pages per minute | all processes MB | all processes PSS MB | files written | ours / best correct peer (pages per minute) |"
echo "|---:|---|---:|---:|---:|---:|---:|---:|"
for n in $jobs_list; do
    ours="" best=""
    for tool in pagrovix-shot chromium wkhtmltoimage; do
        out="$work/out-$tool-$n"
        rm -rf "$out"
        mkdir -p "$out"
        result=$(run "$tool" "$n" "$out")
        if [ -z "$result" ]; then
            echo "| $n | $tool | not available | | | | | |"
            continue
        fi
        set -- $result
        written=$(cat "$out.written")
        rm -f "$out.written"
        rate=$(awk -v s="$1" -v p="$written" 'BEGIN { printf "%.1f", 60 * p / s }')
        # A peer counts when it wrote every page and said that each went right, as for a real
        # page of compare.sh: wkhtmltoimage, for one, draws these pages without their style sheets
        # and exits with status 1.
        files="$written of $pages"
        [ "$4" = 0 ] || files="$files, status $4"
        if [ "$tool" = pagrovix-shot ]; then
            ours=$rate
        elif [ "$written" = "$pages" ] && [ "$4" = 0 ] &&
            { [ -z "$best" ] || awk "BEGIN { exit !($rate > $best) }"; }; then
            best=$rate
        fi
        echo "| $n | $tool | $1 | $rate | $3 | $5 | $files | |"
        rm -rf "$out"
    done
    if [ -n "$ours" ] && [ -n "$best" ]; then
        echo "| $n | **ratio** | | | | | | $(awk "BEGIN { printf \"%.2f\", $ours / $best }") |"
    fi
done
echo
echo "load average after: $(cut -d' ' -f1-3 /proc/loadavg)"
