#!/usr/bin/env bash
# Shrinks a sample picture the project makes itself, from an executable folder of its own under
# build/demo/ (a copy of the program with its own settings file), so the demo neither depends on
# your settings nor opens a mail composer.
set -euo pipefail
build=${1:-build}
demo="$build/demo"
rm -rf "$demo"
mkdir -p "$demo/bin" "$demo/out"
demo=$(cd "$demo" && pwd)

cp "$build/kobanto" "$demo/bin/kobanto"
printf '[縮小後画像]\r\n保存先フォルダ=%s\r\n[設定]\r\nメールに添付=0\r\n' "$demo/out" |
  iconv -f UTF-8 -t CP932 >"$demo/bin/kobanto.ini"

sample="$demo/DSC0001.JPG"
"$build/tools/kobanto-sample" "$sample" 3000 2000 7

if [[ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]]; then
  echo "No display: converting headless."
fi
"$demo/bin/kobanto" "$sample"

output="$demo/out/S_DSC0001.JPG"
describe() {
  printf '  %s\n    %s pixels, %s bytes\n' "$1" "$("$build/tools/kobanto-sample" --info "$1")" \
    "$(stat -c %s "$1")"
}
echo "Source:"
describe "$sample"
echo "Wrote:"
describe "$output"
