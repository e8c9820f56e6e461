#!/bin/sh
# Captures the same local pages with pagrovix-shot, with Chromium's headless full-page screenshot
# (Debian's chromium driven by playwright-core) and with wkhtmltoimage (Debian's wkhtmltopdf),
# and prints for each: wall-clock time, peak memory (the largest process, as /usr/bin/time -v
# reports it, and all the tool's processes together) and, for pages whose every row has its own
# colour, the share of rows that come out exactly right.
#
# usage: sh bench/shot/compare.sh BUILD_DIR     (RUNS=n takes the fastest of n runs, default 1)
# Installs chromium, wkhtmltopdf, wx3.2-doc and time with apt when missing (as root), and
# playwright-core with npm into BUILD_DIR/bench-shot; no browser is ever downloaded.
set -u
build=$(cd "${1:-build}" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
runs=${RUNS:-1}
shot="$build/shot/pagrovix-shot"
check="$build/bench/shot/shot_row_check"
work="$build/bench-shot"
mkdir -p "$work/pages" "$work/out"

for program in "$shot" "$check"; do
    if [ ! -x "$program" ]; then
        echo "compare.sh: $program is not built" >&2
        exit 1
    fi
done

. "$here/bench-tools.sh"
classes=/usr/share/doc/wx3.2-doc/html
bench_tools "$work" compare.sh wx3.2-doc="$classes"

# Pages whose every row has its own colour; the script is plain ES5 so that every engine runs it.
row_page() {
    cat >"$work/pages/rows-$1.html" <<HTML
<!DOCTYPE html><html><head><style>
html, body { margin: 0; padding: 0; background: #fff; }
div { height: 1px; width: 1280px; box-sizing: border-box;
  border-left: 1px solid rgb(0,0,16); border-right: 1px solid rgb(255,255,32); }
</style></head><body><script>
var rows = document.createDocumentFragment();
for (var y = 0; y < $1; ++y) {
  var row = document.createElement('div');
  row.style.background = 'rgb(' + (y & 255) + ',' + ((y >> 8) & 255) + ',' +
      (128 | ((y >> 16) & 127)) + ')';
  rows.appendChild(row);
}
document.body.appendChild(rows);
</script></body></html>
HTML
}
heights="1000 10000 32763 32764 70000"
for height in $heights; do
    row_page "$height"
done

# Real documentation pages that Debian packages ship: a class reference of 4501 rows, whose time is
# mostly the engine starting and its first page's fonts and scripts, and a long manual.
docs=""
[ -f "$classes/classwx_a_n_i_decoder.html" ] && docs="$classes/classwx_a_n_i_decoder.html"
for candidate in /usr/share/doc/nettle-dev/nettle.html /usr/share/doc/nodejs/api/fs.html \
    /usr/share/doc/python3/html/library/stdtypes.html; do
    if [ -f "$candidate" ]; then
        docs="$docs $candidate"
        break
    fi
done

# Runs one tool on one page RUNS times, timed with nothing sampled, then once more with its memory
# sampled; prints "seconds largestMB allMB status allPssMB": the fastest time, the memory of the
# sampled run and the status of the last.
measure() {
    best=""
    i=0
    while [ $i -lt "$runs" ]; do
        seconds=$(python3 "$here/measure.py" --time-only "$work/out/last.log" "$@" | cut -d' ' -f1)
        if [ -z "$best" ] || awk "BEGIN { exit !($seconds < $best) }"; then
            best=$seconds
        fi
        i=$((i + 1))
    done
    python3 "$here/measure.py" "$work/out/last.log" "$@" | awk -v best="$best" '{ $1 = best; print }'
}

run_tool() {  # tool url output
    case $1 in
    pagrovix-shot) measure env -u DISPLAY "$shot" --quiet "$2" "$3" ;;
    chromium)
        if [ -d "$playwright" ] && command -v chromium >/dev/null 2>&1; then
            measure node "$here/chromium-shot.js" "$playwright" "$2" "$3"
        fi ;;
    wkhtmltoimage)
        if command -v wkhtmltoimage >/dev/null 2>&1; then
            measure env QT_QPA_PLATFORM=offscreen wkhtmltoimage --quiet --width 1280 \
                --disable-smart-width --format png "$2" "$3"
        fi ;;
    esac
}

echo
echo "| page | tool | seconds | largest process MB | all processes MB | all processes PSS MB | picture | exact rows | ours / best correct peer |"
echo "|---|---|---:|---:|---:|---:|---|---:|---:|"
pages=""
for height in $heights; do
    pages="$pages rows-$height"
done
for doc in $docs; do
    pages="$pages doc:$doc"
done
for page in $pages; do
    if [ "${page#doc:}" != "$page" ]; then
        doc=${page#doc:}
        url="file://$doc"
        label="$(basename "$doc") ($(dpkg -S "$doc" 2>/dev/null | cut -d: -f1))"
        page=$(basename "$doc" .html)
    else
        url="file://$work/pages/$page.html"
        label=$page
    fi
    # Our time, and the best time of a peer whose picture is right (every row exact, or written
    # with status 0 for the real page), for the ratio on the last line of the page.
    ours="" best=""
    for tool in pagrovix-shot chromium wkhtmltoimage; do
        output="$work/out/$page-$tool.png"
        rm -f "$output"
        result=$(run_tool "$tool" "$url" "$output")
        if [ -z "$result" ]; then
            echo "| $label | $tool | not available | | | | | | |"
            continue
        fi
        set -- $result
        seconds=$1 largest=$2 all=$3 status=$4 pss=$5
        picture="failed ($status)"
        size=""
        rows=""
        if [ -s "$output" ]; then
            size=$(file -b "$output" | sed -n 's/.* \([0-9]*\) x \([0-9]*\),.*/\1 x \2/p')
            picture=${size:-written}
            [ "$status" = 0 ] || picture="$picture, status $status"
            case $page in rows-*)
                height=${page#rows-}
                set -- $("$check" "$output" 1280 "$height")
                rows=$(awk -v right="$1" -v all="$height" \
                    'BEGIN { printf "%.2f %% (%d of %d)", 100 * right / all, right, all }') ;;
            esac
        fi
        correct=0
        case $rows in 100.00*) correct=1 ;; "") [ "$status" = 0 ] && [ -s "$output" ] && correct=1 ;; esac
        # wkhtmltoimage paints nothing past row 32767 (the row pages show it): a taller real page
        # of its is not counted as right.
        if [ "$tool" = wkhtmltoimage ] && [ -z "$rows" ] && [ "${size##* x }" -gt 32767 ] 2>/dev/null; then
            correct=0
        fi
        if [ "$tool" = pagrovix-shot ]; then
            ours=$seconds
        elif [ "$correct" = 1 ] && { [ -z "$best" ] || awk "BEGIN { exit !($seconds < $best) }"; }; then
            best=$seconds
        fi
        echo "| $label | $tool | $seconds | $largest | $all | $pss | $picture | $rows | |"
        rm -f "$output"  # pictures of 70000 rows take hundreds of MB
    done
    if [ -n "$ours" ] && [ -n "$best" ]; then
        echo "| $label | **ratio** | | | | | | | $(awk "BEGIN { printf \"%.2f\", $ours / $best }") |"
    fi
done
