#!/usr/bin/env bash
# A thumbnail service asked over D-Bus makes a page's thumbnail through the installed
# thumbnailer entry: tumbler makes the output file, holds it open while plimdisp-cli runs and
# reads the picture from that open file. Skipped (77) where tumbler or a session bus is missing.
# Usage: thumbnail_service_test.sh SOURCE_DIR BUILD_DIR
set -euo pipefail
source_dir=$1 build_dir=$2

if [[ "${3:-}" == --on-bus ]]; then
  # Started by the bus on the first request, with this environment.
  uri="file://$HOME/page01.plim"
  thumbnail=$XDG_CACHE_HOME/thumbnails/normal/$(printf %s "$uri" | md5sum | cut -d' ' -f1).png
  gdbus call --session --dest org.freedesktop.thumbnails.Thumbnailer1 \
    --object-path /org/freedesktop/thumbnails/Thumbnailer1 \
    --method org.freedesktop.thumbnails.Thumbnailer1.Queue \
    "['$uri']" "['application/x-plimdisp-page']" normal default "uint32 0" >/dev/null
  for ((try = 0; try < 300; try++)); do
    if [[ -s "$thumbnail" ]]; then
      [[ "$(head -c 4 "$thumbnail" | tail -c 3)" == PNG ]] || { echo "FAIL: no PNG"; exit 1; }
      echo "tumbler made the thumbnail"
      exit 0
    fi
    sleep 0.1
  done
  echo "FAIL: no thumbnail from tumbler" >&2
  exit 1
fi

for tool in dbus-run-session gdbus update-mime-database md5sum; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done
compgen -G "/usr/lib/*/tumbler-1/tumblerd" >/dev/null || { echo "SKIP: no tumbler"; exit 77; }
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
export HOME=$home XDG_DATA_HOME=$home/data XDG_CACHE_HOME=$home/cache XDG_CONFIG_HOME=$home/config
export XDG_DATA_DIRS=$XDG_DATA_HOME:/usr/share PATH=$build_dir:$PATH
mkdir -p "$XDG_DATA_HOME/mime/packages" "$XDG_DATA_HOME/thumbnailers"
cp "$source_dir/src/resources/desktop/plimdisp-mime.xml" "$XDG_DATA_HOME/mime/packages/"
update-mime-database "$XDG_DATA_HOME/mime"
cp "$source_dir/src/cli/plimdisp.thumbnailer" "$XDG_DATA_HOME/thumbnailers/"
cp "$source_dir/samples/page01.plim" "$home/"
dbus-run-session -- "$0" "$source_dir" "$build_dir" --on-bus 2>"$home/bus.log" ||
  { cat "$home/bus.log" >&2; exit 1; }
