#!/usr/bin/env bash
# Installs a built Kobanto for one user, without root:
#   PREFIX/lib/kobanto/     the program and its mail companion, in a folder of their own where the
#                           settings file kobanto.ini is created beside the program
#   PREFIX/bin/kobanto      a symbolic link to the program, for the PATH
#   PREFIX/share/...        the desktop entry and its icon, and the file managers' menu entries
# Every file and folder written is listed in PREFIX/lib/kobanto/install-manifest, which
# scripts/uninstall.sh reads to remove exactly those again.
# Usage: scripts/install.sh BUILD_FOLDER PREFIX
set -euo pipefail
shopt -u patsub_replacement 2>/dev/null || true

die() {
  printf 'install: %s\n' "$*" >&2
  exit 1
}

(($# == 2)) || die "usage: scripts/install.sh BUILD_FOLDER PREFIX"
build=$1
prefix=$2
templates="$(cd -- "${BASH_SOURCE[0]%/*}/.." && pwd)/desktop"

for name in kobanto SendTo.exe; do
  [[ -f "$build/$name" && -x "$build/$name" ]] ||
    die "$build/$name is missing: build Kobanto first (make build)"
done

# --- The prefix --------------------------------------------------------------------------------

[[ -n "$prefix" ]] || die "the prefix is empty"
[[ "$prefix" == /* ]] || prefix="$PWD/$prefix"
prefix=$(realpath -m -s -- "$prefix")
[[ "$prefix" != / ]] ||
  die "the prefix / is system-wide; install per user, for example into \$HOME/.local"

# The prefix ends up inside desktop entries, key files and the manifest (one path a line): those
# cannot carry a control character, their text must be UTF-8, and Nemo reads every "%" in a
# command as the start of a placeholder.
if [[ "$prefix" == *[[:cntrl:]]* || "$prefix" == *%* ]]; then
  die "the prefix '$prefix' contains a control character or '%'; choose another one"
fi
iconv -f UTF-8 -t UTF-8 <<<"$prefix" >/dev/null 2>&1 ||
  die "the prefix '$prefix' is not valid UTF-8 text; choose another one"

lib="$prefix/lib/kobanto"
program="$lib/kobanto"
manifest="$lib/install-manifest"
applications="$prefix/share/applications"
icons="$prefix/share/icons/hicolor"
nautilus_script="$prefix/share/nautilus/scripts/Kobanto で縮小"
folders=(
  "$lib"
  "$prefix/bin"
  "$applications"
  "$icons/scalable/apps"
  "${nautilus_script%/*}"
  "$prefix/share/kio/servicemenus"
  "$prefix/share/kservices5/ServiceMenus"
  "$prefix/share/nemo/actions"
)

# Kobanto keeps its settings beside the program, so it is installed for one user into a place
# that user can write. Check every destination before writing anything.
for folder in "${folders[@]}"; do
  existing=$folder
  while [[ -n "$existing" && ! -e "$existing" && ! -L "$existing" ]]; do
    existing=${existing%/*}
  done
  [[ -n "$existing" ]] || existing=/
  if [[ ! -d "$existing" ]]; then
    die "cannot install into $prefix: $existing is not a folder"
  fi
  if [[ ! -w "$existing" || ! -x "$existing" ]]; then
    die "cannot install into $prefix: you cannot write to $existing.
Kobanto is installed per user (by default into ~/.local) because its settings file kobanto.ini
lives beside the program and must be writable; a system-wide prefix is not supported.
Choose a prefix you own, for example: make install PREFIX=\$HOME/.local"
  fi
done

# --- The manifest ------------------------------------------------------------------------------
# One entry a line, a type and a path below the prefix: "d" a folder this install created, "f" a
# file, "l" a symbolic link, "g" a cache file that a desktop tool generated for the first time.
# Entries are appended as they are written, after those of an earlier install, so that an install
# that stops half way still leaves a manifest covering everything written; the end of the install
# rewrites it with exactly what this install and earlier ones left.

declare -A listed=() recorded=()
old_order=() new_order=() queued=()
if [[ -f "$manifest" ]]; then
  while IFS= read -r line; do
    [[ "$line" == [dflg]\ ?* ]] || continue
    old_order+=("$line")
    listed["$line"]=1
  done <"$manifest"
fi

append_to_manifest() {
  [[ -n "${listed[$1]+set}" ]] && return
  listed["$1"]=1
  printf '%s\n' "$1" >>"$manifest"
}

record() { # TYPE PATH; the entries made before the program folder exists wait for it
  local entry="$1 $2"
  [[ -n "${recorded[$entry]+set}" ]] && return
  recorded["$entry"]=1
  new_order+=("$entry")
  if [[ -d "$lib" ]]; then append_to_manifest "$entry"; else queued+=("$entry"); fi
}

relative() { # PATH at or below the prefix -> the manifest's spelling
  if [[ "$1" == "$prefix" ]]; then printf '.'; else printf '%s' "${1#"$prefix"/}"; fi
}

# Creates FOLDER and its missing parents, recording those at or below the prefix (the folders
# above the prefix are not Kobanto's to remove).
make_folder() {
  local folder=$1
  [[ -d "$folder" ]] && return
  if [[ "$folder" == "$prefix" ]]; then
    mkdir -p -- "${folder%/*}/"
  else
    make_folder "${folder%/*}"
  fi
  mkdir -- "$folder"
  record d "$(relative "$folder")"
}

make_folder "$lib"
for entry in "${queued[@]}"; do append_to_manifest "$entry"; done
record f "$(relative "$manifest")"

# --- Writing files -----------------------------------------------------------------------------
# Each file is written beside its destination under a temporary name and renamed over it, so a
# running program is never overwritten in place and no half-written file is left behind.

install_file() { # SOURCE DEST MODE
  local dest=$2 tmp
  make_folder "${dest%/*}"
  record f "$(relative "$dest")"
  tmp="${dest%/*}/.kobanto-install.$$"
  cp -- "$1" "$tmp"
  chmod "$3" -- "$tmp"
  mv -f -T -- "$tmp" "$dest"
}

install_text() { # TEXT DEST MODE
  local dest=$2 tmp
  make_folder "${dest%/*}"
  record f "$(relative "$dest")"
  tmp="${dest%/*}/.kobanto-install.$$"
  printf '%s\n' "$1" >"$tmp"
  chmod "$3" -- "$tmp"
  mv -f -T -- "$tmp" "$dest"
}

install_link() { # TARGET LINK
  local link=$2 tmp
  make_folder "${link%/*}"
  if [[ -d "$link" && ! -L "$link" ]]; then die "$link is a folder; remove it and install again"; fi
  record l "$(relative "$link")"
  tmp="${link%/*}/.kobanto-install.$$"
  ln -s -f -- "$1" "$tmp"
  mv -f -T -- "$tmp" "$link"
}

# The program as one argument of a desktop-entry command line: in double quotes with '"', '`',
# '$' and '\' escaped, '%' doubled, and then the key file's own backslash escape on top. GLib,
# KIO and Nemo all split such a line the same way.
exec_quote() {
  local s=$1
  s=${s//\\/\\\\}
  s=${s//\"/\\\"}
  s=${s//\`/\\\`}
  s=${s//\$/\\\$}
  s="\"$s\""
  s=${s//%/%%}
  s=${s//\\/\\\\}
  printf '%s' "$s"
}

# The program as one word of a POSIX shell script: in single quotes, each ' written as '\''.
sh_quote() {
  local s=$1 q="'\\''"
  printf "'%s'" "${s//\'/$q}"
}

from_template() { # TEMPLATE PLACEHOLDER VALUE
  local text
  text=$(<"$templates/$1")
  printf '%s\n' "${text//"$2"/"$3"}"
}

install_file "$build/kobanto" "$program" 0755
install_file "$build/SendTo.exe" "$lib/SendTo.exe" 0755
install_link "$program" "$prefix/bin/kobanto"

exec_line=$(exec_quote "$program")
install_text "$(from_template kobanto.desktop.in @EXEC@ "$exec_line")" \
  "$applications/kobanto.desktop" 0644
install_file "$templates/kobanto.svg" "$icons/scalable/apps/kobanto.svg" 0644

install_text "$(from_template nautilus-script.in @PROGRAM@ "$(sh_quote "$program")")" \
  "$nautilus_script" 0755
# KDE Frameworks 5 ignores a user's service menu that is not executable. Both folders hold the
# same file name, which Dolphin shows once.
service_menu=$(from_template kobanto-servicemenu.desktop.in @EXEC@ "$exec_line")
install_text "$service_menu" "$prefix/share/kio/servicemenus/kobanto-shrink.desktop" 0755
install_text "$service_menu" "$prefix/share/kservices5/ServiceMenus/kobanto-shrink.desktop" 0755
install_text "$(from_template kobanto.nemo_action.in @EXEC@ "$exec_line")" \
  "$prefix/share/nemo/actions/kobanto.nemo_action" 0644

# --- Desktop caches, when the tools are there --------------------------------------------------

if command -v update-desktop-database >/dev/null 2>&1; then
  [[ -e "$applications/mimeinfo.cache" ]] || record g "$(relative "$applications/mimeinfo.cache")"
  update-desktop-database -q "$applications" >/dev/null 2>&1 || true
fi
# A user's icon folder seldom has a cache; refresh one that exists, never create one.
if [[ -f "$icons/icon-theme.cache" ]] && command -v gtk-update-icon-cache >/dev/null 2>&1; then
  gtk-update-icon-cache -q -t -f "$icons" >/dev/null 2>&1 || true
fi

# --- Leftovers of an earlier install, and the final manifest -----------------------------------
# Folders and generated caches of an earlier install stay in the manifest while they exist; its
# files that this install no longer writes are removed.

final=("${new_order[@]}")
for entry in "${old_order[@]}"; do
  [[ -n "${recorded[$entry]+set}" ]] && continue
  path="$prefix/${entry#? }"
  [[ "$entry" == d\ . ]] && path=$prefix
  case "$entry" in
    d\ *) if [[ -d "$path" ]]; then final+=("$entry"); fi ;;
    g\ *) if [[ -f "$path" ]]; then final+=("$entry"); fi ;;
    f\ *) if [[ -f "$path" || -L "$path" ]]; then rm -f -- "$path"; fi ;;
    l\ *) if [[ -L "$path" ]]; then rm -f -- "$path"; fi ;;
  esac
done
printf '%s\n' "${final[@]}" >"$manifest.new"
mv -f -T -- "$manifest.new" "$manifest"

echo "Installed Kobanto into $lib"
echo "  command:       $prefix/bin/kobanto"
echo "  settings file: $lib/kobanto.ini (created when the settings window first opens)"
case ":$PATH:" in
  *":$prefix/bin:"*) ;;
  *) echo "  note: $prefix/bin is not on your PATH; the menus and launchers work without it." ;;
esac
