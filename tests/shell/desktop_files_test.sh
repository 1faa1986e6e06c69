#!/usr/bin/env bash
# Checks the installed desktop files agree with each other and that the label font alias
# resolves "宋体" and "SimSun" to the Ming face.
set -euo pipefail
desktop_dir="$1/src/resources/desktop"
fail() { echo "FAIL: $*" >&2; exit 1; }

entry="$desktop_dir/plimdisp.desktop"
mime_type=$(sed -n 's/^MimeType=\([^;]*\);$/\1/p' "$entry")
[[ -n "$mime_type" ]] || fail "the desktop entry names no file type"
grep -q "<mime-type type=\"$mime_type\">" "$desktop_dir/plimdisp-mime.xml" ||
  fail "the file type $mime_type is not defined"
grep -q '<glob pattern="\*.plim"/>' "$desktop_dir/plimdisp-mime.xml" || fail "no *.plim glob"
grep -q '^Exec=plimdisp %f$' "$entry" || fail "the entry does not open a file with the viewer"
icon=$(sed -n 's/^Icon=//p' "$entry")
[[ -f "$desktop_dir/$icon.svg" ]] || fail "no icon $icon.svg"

if command -v fc-match >/dev/null; then
  config=$(mktemp)
  trap 'rm -f "$config"' EXIT
  cat >"$config" <<CONF
<?xml version="1.0"?>
<!DOCTYPE fontconfig SYSTEM "urn:fontconfig:fonts.dtd">
<fontconfig><include ignore_missing="yes">/etc/fonts/fonts.conf</include>
<include>$desktop_dir/65-plimdisp-label-fonts.conf</include></fontconfig>
CONF
  for face in "宋体" "SimSun"; do
    match=$(FONTCONFIG_FILE="$config" fc-match -f '%{family}' "$face")
    [[ "$match" == *"UMing"* ]] || fail "$face resolves to $match"
  done
fi
echo "desktop files consistent"
