# Sourced by the comparison scripts: installs what they compare against when it is missing.
# bench_tools DIR NAME [PACKAGE=COMMAND_OR_PATH ...]: Debian's chromium, wkhtmltopdf and time plus
# the packages given (installed as root, after apt-get update), and playwright-core with npm into
# DIR/node; no browser is ever downloaded. Sets playwright to playwright-core's folder.
bench_tools() {
    dir=$1
    name=$2
    shift 2
    missing=""
    for wanted in chromium=chromium wkhtmltopdf=wkhtmltoimage time=/usr/bin/time "$@"; do
        package=${wanted%%=*}
        probe=${wanted#*=}
        [ -e "$probe" ] || command -v "$probe" >/dev/null 2>&1 || missing="$missing $package"
    done
    if [ -n "$missing" ]; then
        if [ "$(id -u)" -eq 0 ]; then
            echo "Installing:$missing"
            # shellcheck disable=SC2086
            { apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq $missing; } \
                >"$dir/apt.log" 2>&1 || echo "$name: apt-get failed, see $dir/apt.log" >&2
        else
            echo "$name: missing Debian packages:$missing (install them as root)" >&2
        fi
    fi
    playwright="$dir/node/node_modules/playwright-core"
    if [ ! -d "$playwright" ] && command -v npm >/dev/null 2>&1; then
        echo "Installing playwright-core into $dir/node"
        mkdir -p "$dir/node"
        (cd "$dir/node" && PLAYWRIGHT_SKIP_BROWSER_DOWNLOAD=1 npm install --no-audit --no-fund \
            --silent playwright-core >"$dir/npm.log" 2>&1) ||
            echo "$name: npm install failed, see $dir/npm.log" >&2
    fi
}
