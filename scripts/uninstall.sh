#!/usr/bin/env bash
# Removes what scripts/install.sh wrote under PREFIX, as listed in its manifest, and nothing else:
# the settings file kobanto.ini, pictures and any other file of the user's stay, and so does each
# folder that still holds one.
# Usage: scripts/uninstall.sh PREFIX
set -euo pipefail

die() {
  printf 'uninstall: %s\n' "$*" >&2
  exit 1
}

(($# == 1)) || die "usage: scripts/uninstall.sh PREFIX"
prefix=$1
[[ -n "$prefix" ]] || die "the prefix is empty"
[[ "$prefix" == /* ]] || prefix="$PWD/$prefix"
prefix=$(realpath -m -s -- "$prefix")
lib="$prefix/lib/kobanto"
manifest="$lib/install-manifest"
applications="$prefix/share/applications"
icons="$prefix/share/icons/hicolor"

if [[ ! -f "$manifest" ]]; then
  echo "Kobanto is not installed in $prefix (no $manifest): nothing to remove."
  exit 0
fi

files=() folders=() caches=()
while IFS= read -r line; do
  type=${line%% *}
  path=${line#* }
  # Only paths inside the prefix: no absolute path, no "..".
  [[ "$line" == [dflg]\ ?* && "$path" != /* ]] || continue
  [[ "/$path/" == */../* ]] && continue
  case "$type" in
    d) folders+=("$path") ;;
    g) caches+=("$path") ;;
    *) files+=("$type $path") ;;
  esac
done <"$manifest"

for entry in "${files[@]}"; do
  path="$prefix/${entry#? }"
  case "$entry" in
    f\ *) if [[ -f "$path" || -L "$path" ]]; then rm -f -- "$path"; fi ;;
    l\ *) if [[ -L "$path" ]]; then rm -f -- "$path"; fi ;;
  esac
done

# A cache that the install generated goes once no other entry needs it; a cache that stays is
# refreshed, so that it no longer names Kobanto.
remaining_entries=$(find "$applications" -maxdepth 1 -name '*.desktop' -print -quit 2>/dev/null || true)
for path in "${caches[@]}"; do
  if [[ "$path" == share/applications/mimeinfo.cache && -z "$remaining_entries" ]]; then
    rm -f -- "$prefix/$path"
  fi
done
if [[ -f "$applications/mimeinfo.cache" ]] && command -v update-desktop-database >/dev/null 2>&1; then
  update-desktop-database -q "$applications" >/dev/null 2>&1 || true
fi
if [[ -f "$icons/icon-theme.cache" ]] && command -v gtk-update-icon-cache >/dev/null 2>&1; then
  gtk-update-icon-cache -q -t -f "$icons" >/dev/null 2>&1 || true
fi

# The folders the install created, longest path (deepest) first, the prefix itself last; one
# that still holds something stays.
remove_folder() {
  if [[ -d "$1" && ! -L "$1" ]]; then rmdir -- "$1" 2>/dev/null || true; fi
}
if ((${#folders[@]})); then
  while IFS= read -r path; do
    remove_folder "$prefix/$path"
  done < <(printf '%s\n' "${folders[@]}" | awk '$0 != "." { print length($0) "\t" $0 }' |
    sort -k1,1nr | cut -f2-)
  for path in "${folders[@]}"; do
    if [[ "$path" == . ]]; then remove_folder "$prefix"; fi
  done
fi

if [[ -e "$lib" ]]; then
  echo "Removed Kobanto from $prefix; $lib stays: it still holds files of yours, such as kobanto.ini."
else
  echo "Removed Kobanto from $prefix."
fi
