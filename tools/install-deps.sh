#!/bin/sh
# Installs the Debian packages the build, the program and the tests need, only when one is missing.
set -eu

packages="build-essential cmake pkg-config
libwxgtk3.2-dev libwxgtk-webview3.2-dev libwebkit2gtk-4.0-dev
gstreamer1.0-plugins-base gstreamer1.0-plugins-good gstreamer1.0-plugins-bad gstreamer1.0-libav
gstreamer1.0-gl gstreamer1.0-tools
libjpeg62-turbo-dev zlib1g-dev libdeflate-dev
libwebp-dev webp nlohmann-json3-dev
libgtest-dev libgmock-dev libbenchmark-dev libpng-dev libjpeg-turbo-progs
libx11-dev libxtst-dev libegl-dev python3 openssl xclip
xvfb xauth openbox adwaita-icon-theme fonts-dejavu-core"

missing=""
for p in $packages; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing="$missing $p"
    fi
done
[ -z "$missing" ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
    echo "Missing packages:$missing" >&2
    echo "Run this as root, or install them with: sudo apt-get install$missing" >&2
    exit 1
fi
echo "Installing:$missing"
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
# shellcheck disable=SC2086
apt-get install -y -qq $missing
