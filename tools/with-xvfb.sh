#!/bin/sh
# Runs a command under a private X server and stops that server afterwards.
# The server picks a free display number itself, so several runs can share a machine.
set -u

dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
Xvfb -displayfd 1 -screen 0 1920x1080x24 -nolisten tcp -noreset >"$dir/display" 2>"$dir/log" &
xvfb_pid=$!

i=0
while [ ! -s "$dir/display" ]; do
    if ! kill -0 "$xvfb_pid" 2>/dev/null || [ $i -ge 100 ]; then
        echo "with-xvfb: the X server did not start:" >&2
        cat "$dir/log" >&2
        kill "$xvfb_pid" 2>/dev/null
        exit 1
    fi
    i=$((i + 1))
    sleep 0.1
done
DISPLAY=":$(head -n 1 "$dir/display")"
export DISPLAY
unset WAYLAND_DISPLAY

"$@"
status=$?
kill "$xvfb_pid" 2>/dev/null
wait "$xvfb_pid" 2>/dev/null
exit $status
