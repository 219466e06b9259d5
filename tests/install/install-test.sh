#!/usr/bin/env bash
# Installs the built program into temporary prefixes with scripts/install.sh, as `make install`
# does, and checks what a user gets on the desktop: the files and the manifest, the command on
# the PATH, the desktop entry, the file managers' menus, and uninstall.
# Usage: install-test.sh CASE SOURCE_FOLDER BUILD_FOLDER SAMPLE_TOOL
set -euo pipefail

test_case=$1
source_folder=$2
build=$3
sample_tool=$4

fail() {
  printf 'FAIL (%s): %s\n' "$test_case" "$*" >&2
  exit 1
}

# Everything lives in a temporary folder: no real home, data folder or display.
work=$(mktemp -d "${TMPDIR:-/tmp}/kobanto-install-test.XXXXXX")
trap 'chmod -R u+rwx "$work" 2>/dev/null; rm -rf "$work"' EXIT
mkdir -p "$work/home" "$work/data" "$work/config" "$work/cache" "$work/tmp" "$work/tools" \
  "$work/pictures" "$work/out"
export HOME="$work/home" XDG_DATA_HOME="$work/data" XDG_CONFIG_HOME="$work/config"
export XDG_CACHE_HOME="$work/cache" TMPDIR="$work/tmp"
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM
export PATH="$work/tools:$PATH"

# A prefix with the characters that break careless quoting, and Japanese (which the settings
# file's Shift-JIS can hold, since a save folder inside it is used too).
prefix="$work/pre fix 'q' \"d\" \$x \`b\` back\\slash, 写真"
lib="$prefix/lib/kobanto"
program="$lib/kobanto"
nautilus_script="$prefix/share/nautilus/scripts/Kobanto で縮小"
service_menus=("$prefix/share/kio/servicemenus/kobanto-shrink.desktop"
  "$prefix/share/kservices5/ServiceMenus/kobanto-shrink.desktop")
nemo_action="$prefix/share/nemo/actions/kobanto.nemo_action"

install_kobanto() { "$source_folder/scripts/install.sh" "$build" "$prefix" >/dev/null; }
uninstall_kobanto() { "$source_folder/scripts/uninstall.sh" "$prefix" >/dev/null; }

# kobanto.ini beside the installed program: shrink into FOLDER, with or without the mail.
write_settings() { # FOLDER ATTACH [INI_FOLDER]
  printf '[縮小後画像]\r\n保存先フォルダ=%s\r\n[設定]\r\nメールに添付=%s\r\n' "$1" "$2" |
    iconv -f UTF-8 -t CP932 >"${3:-$lib}/kobanto.ini"
}

picture() { "$sample_tool" "$1" 64 48 >/dev/null; }
is_jpeg() { "$sample_tool" --info "$1" >/dev/null 2>&1; }

# A stand-in mail composer for the real companion: each call writes its arguments, one NUL after
# each, to mail.N.
fake_composer() {
  cat >"$work/tools/xdg-email" <<EOF
#!/bin/sh
n=\$(ls "$work" | grep -c '^mail\.[0-9]*\$')
file="$work/mail.\$((n + 1))"
for a in "\$@"; do printf '%s\0' "\$a"; done >"\$file.part"
mv "\$file.part" "\$file"
EOF
  chmod 755 "$work/tools/xdg-email"
}

# Waits for the detached companion's composer call, then checks it was the only one and that it
# attached exactly the expected files, in order.
expect_one_mail() { # EXPECTED_PATH...
  local i expected=() actual=()
  for ((i = 0; i < 200; i++)); do
    [[ -e "$work/mail.1" ]] && break
    sleep 0.05
  done
  [[ -e "$work/mail.1" ]] || fail "the mail composer was never called"
  sleep 0.3
  [[ ! -e "$work/mail.2" ]] || fail "the mail composer was called more than once"
  for path in "$@"; do expected+=(--attach "$path"); done
  mapfile -d '' -t actual <"$work/mail.1"
  if [[ "${actual[*]@Q}" != "${expected[*]@Q}" ]]; then
    fail "the composer got ${actual[*]@Q}, expected ${expected[*]@Q}"
  fi
  rm -f "$work"/mail.*
}

# Reads KEY in [GROUP] of a key file (desktop entry, service menu, Nemo action), as written.
key() { # FILE GROUP KEY
  local line group=
  while IFS= read -r line; do
    if [[ "$line" == \[*\] ]]; then
      group=${line:1:${#line}-2}
    elif [[ "$group" == "$2" && "$line" == "$3="* ]]; then
      printf '%s' "${line#"$3="}"
      return 0
    fi
  done <"$1"
  fail "no $3 in [$2] of $1"
}

expect_key() { # FILE GROUP KEY VALUE
  local value
  value=$(key "$1" "$2" "$3")
  [[ "$value" == "$4" ]] || fail "$3 in $1 is '$value', expected '$4'"
}

# An Exec line must be the installed program as one word, then %F (the whole selection in one
# run). The key file's escapes are undone, "%%" read as "%", and the rest split as a shell does,
# which is how GLib, KIO and Nemo split it.
expect_exec() { # FILE GROUP
  local value words=() rest='' i c
  value=$(key "$1" "$2" Exec)
  [[ "$value" == *" %F" ]] || fail "Exec in $1 does not end in ' %F': $value"
  value=${value% %F}
  for ((i = 0; i < ${#value}; i++)); do
    c=${value:i:1}
    if [[ "$c" == "\\" ]]; then
      i=$((i + 1))
      case ${value:i:1} in
        s) rest+=' ' ;;
        n) rest+=$'\n' ;;
        t) rest+=$'\t' ;;
        r) rest+=$'\r' ;;
        *) rest+="${value:i:1}" ;;
      esac
    else
      rest+=$c
    fi
  done
  [[ "$rest" != *%[!%]* ]] || fail "Exec in $1 holds another field code: $value"
  rest=${rest//%%/%}
  eval "words=($rest)"
  [[ ${#words[@]} == 1 && "${words[0]}" == "$program" ]] ||
    fail "Exec in $1 names ${words[*]@Q}, not the installed program"
}

# Every path under the prefix, and every path the manifest lists, one a line, sorted.
found_under_prefix() {
  (cd "$prefix" && find . -mindepth 1 -printf '%P\n' && echo .) | LC_ALL=C sort
}
listed_in_manifest() { cut -d' ' -f2- "$lib/install-manifest" | LC_ALL=C sort; }

expect_manifest_covers_everything() {
  local found listed
  found=$(found_under_prefix)
  listed=$(listed_in_manifest)
  [[ "$found" == "$listed" ]] ||
    fail "the manifest and the prefix differ:"$'\n'"$(diff <(echo "$listed") <(echo "$found"))"
  [[ -z "$(cut -d' ' -f2- "$lib/install-manifest" | sort | uniq -d)" ]] ||
    fail "the manifest lists a path twice"
}

# The names that break word splitting, quoting, option parsing or the attachment list.
tricky_pictures=("a b.jpg" "it's \"quoted\".jpg" "one, two.JPG" "写真 ü.jpg" $'new\nline.jpg'
  "-leading.jpg" "--style.jpg" "\$HOME \`date\`.jpg" 'back\slash.jpg')
tricky_others=("notes, draft.txt" "-x.txt")

make_tricky_files() {
  for name in "${tricky_pictures[@]}"; do picture "$work/pictures/$name"; done
  for name in "${tricky_others[@]}"; do printf 'notes' >"$work/pictures/$name"; done
}

# What the companion must attach for the tricky files: the shrunk copies, then the others as
# they are.
tricky_attachments() {
  expected=()
  for name in "${tricky_pictures[@]}"; do expected+=("$work/out/S_$name"); done
  for name in "${tricky_others[@]}"; do expected+=("$work/pictures/$name"); done
}

expect_tricky_outputs() {
  for name in "${tricky_pictures[@]}"; do
    is_jpeg "$work/out/S_$name" || fail "no shrunk copy of ${name@Q}"
  done
  [[ $(find "$work/out" -type f -printf x | wc -c) == "${#tricky_pictures[@]}" ]] ||
    fail "unexpected files in the save folder: $(ls -A "$work/out")"
}

case "$test_case" in
  layout)
    # Everything lands in its place, the manifest covers every path, a second install changes
    # nothing, and uninstall removes the prefix it created.
    install_kobanto
    for name in kobanto SendTo.exe; do
      if [[ ! -x "$lib/$name" ]] || ! cmp -s "$build/$name" "$lib/$name"; then
        fail "$lib/$name is not the built $name"
      fi
    done
    [[ -L "$prefix/bin/kobanto" && "$(readlink "$prefix/bin/kobanto")" == "$program" ]] ||
      fail "bin/kobanto is not a link to the program"
    [[ -f "$prefix/share/applications/kobanto.desktop" ]] || fail "no desktop entry"
    [[ -f "$prefix/share/icons/hicolor/scalable/apps/kobanto.svg" ]] || fail "no icon"
    for menu in "$nautilus_script" "${service_menus[@]}"; do
      [[ -f "$menu" && -x "$menu" ]] || fail "$menu is missing or not executable"
    done
    [[ -f "$nemo_action" ]] || fail "no Nemo action"
    expect_manifest_covers_everything
    before=$(<"$lib/install-manifest")
    # A file that an earlier version installed and this one no longer does goes on reinstall.
    printf 'old' >"$prefix/share/old-menu"
    echo "f share/old-menu" >>"$lib/install-manifest"
    install_kobanto
    [[ ! -e "$prefix/share/old-menu" ]] || fail "a reinstall kept a file no longer installed"
    expect_manifest_covers_everything
    [[ "$(listed_in_manifest)" == "$(echo "$before" | cut -d' ' -f2- | LC_ALL=C sort)" ]] ||
      fail "a second install changed the manifest"
    uninstall_kobanto
    [[ ! -e "$prefix" ]] || fail "uninstall left: $(found_under_prefix)"
    ;;

  path-command)
    # The command on the PATH runs the real program, which finds kobanto.ini beside itself, not
    # beside the link.
    install_kobanto
    mkdir "$work/decoy"
    write_settings "$work/out" 0
    write_settings "$work/decoy" 0 "$prefix/bin"
    picture "$work/pictures/DSC0001.JPG"
    PATH="$prefix/bin:$PATH" kobanto "$work/pictures/DSC0001.JPG" || fail "kobanto failed"
    is_jpeg "$work/out/S_DSC0001.JPG" || fail "no output in the save folder of lib/kobanto/kobanto.ini"
    [[ -z "$(ls -A "$work/decoy")" ]] || fail "the settings beside the link were used"
    rm -f "$prefix/bin/kobanto.ini"
    # Without a settings file the batch writes into the temporary folder, and creates no file.
    rm "$lib/kobanto.ini"
    PATH="$prefix/bin:$PATH" kobanto "$work/pictures/DSC0001.JPG" || fail "kobanto failed"
    is_jpeg "$TMPDIR/S_DSC0001.JPG" || fail "no output in the temporary folder"
    [[ ! -e "$lib/kobanto.ini" ]] || fail "a conversion created kobanto.ini"
    expect_manifest_covers_everything
    ;;

  desktop-entry)
    # The entry is valid, bilingual, opens JPEGs, has its icon, and a standard launcher (GLib's)
    # starts one process for a whole dropped selection.
    install_kobanto
    entry="$prefix/share/applications/kobanto.desktop"
    desktop-file-validate "$entry" || fail "desktop-file-validate rejects $entry"
    expect_exec "$entry" "Desktop Entry"
    expect_key "$entry" "Desktop Entry" Type Application
    expect_key "$entry" "Desktop Entry" MimeType "image/jpeg;"
    expect_key "$entry" "Desktop Entry" Icon kobanto
    for k in Name "Name[ja]" Comment "Comment[ja]"; do
      [[ -n "$(key "$entry" "Desktop Entry" "$k")" ]] || fail "empty $k"
    done
    [[ "$(key "$entry" "Desktop Entry" "Comment[ja]")" == *縮小* ]] || fail "Comment[ja] not Japanese"
    grep -q '<svg' "$prefix/share/icons/hicolor/scalable/apps/kobanto.svg" || fail "icon not SVG"
    command -v gio >/dev/null || fail "gio (libglib2.0-bin) is needed to launch the entry"
    fake_composer
    write_settings "$work/out" 1
    make_tricky_files
    files=()
    for name in "${tricky_pictures[@]}" "${tricky_others[@]}"; do files+=("$work/pictures/$name"); done
    gio launch "$entry" "${files[@]}" || fail "gio launch failed"
    tricky_attachments
    expect_one_mail "${expected[@]}"
    expect_tricky_outputs
    ;;

  menus)
    # Dolphin's service menus (desktop-file-validate rejects every service menu, so their keys
    # are checked) and Nemo's action: captions in both languages, the program, the selection.
    install_kobanto
    cmp -s "${service_menus[@]}" || fail "the two Dolphin service menus differ"
    for menu in "${service_menus[@]}"; do
      expect_key "$menu" "Desktop Entry" Type Service
      [[ "$(key "$menu" "Desktop Entry" ServiceTypes)" == *KonqPopupMenu/Plugin* ]] ||
        fail "$menu is not a popup menu plugin"
      expect_key "$menu" "Desktop Entry" MimeType "all/allfiles;"
      expect_key "$menu" "Desktop Entry" Actions "shrinkWithKobanto;"
      expect_key "$menu" "Desktop Action shrinkWithKobanto" Name "Shrink with Kobanto"
      expect_key "$menu" "Desktop Action shrinkWithKobanto" "Name[ja]" "Kobanto で縮小"
      expect_exec "$menu" "Desktop Action shrinkWithKobanto"
    done
    expect_key "$nemo_action" "Nemo Action" Name "Shrink with Kobanto"
    expect_key "$nemo_action" "Nemo Action" "Name[ja]" "Kobanto で縮小"
    expect_key "$nemo_action" "Nemo Action" Selection notnone
    expect_key "$nemo_action" "Nemo Action" Extensions "nodirs;"
    expect_key "$nemo_action" "Nemo Action" Quote double
    expect_exec "$nemo_action" "Nemo Action"
    # The service menu's command, run by GLib as a desktop launcher would, with a selection.
    {
      printf '[Desktop Entry]\nType=Application\nName=Probe\n'
      printf 'Exec=%s\n' "$(key "${service_menus[0]}" "Desktop Action shrinkWithKobanto" Exec)"
    } >"$work/probe.desktop"
    fake_composer
    write_settings "$work/out" 1
    make_tricky_files
    files=()
    for name in "${tricky_pictures[@]}" "${tricky_others[@]}"; do files+=("$work/pictures/$name"); done
    gio launch "$work/probe.desktop" "${files[@]}" || fail "gio launch failed"
    tricky_attachments
    expect_one_mail "${expected[@]}"
    expect_tricky_outputs
    ;;

  nautilus-script)
    # Nautilus runs the script in the folder shown, with the selected names as arguments: every
    # name reaches the one run of the real program intact.
    install_kobanto
    fake_composer
    write_settings "$work/out" 1
    make_tricky_files
    (cd "$work/pictures" && "$nautilus_script" "${tricky_pictures[@]}" "${tricky_others[@]}") ||
      fail "the Nautilus script failed"
    tricky_attachments
    expect_one_mail "${expected[@]}"
    expect_tricky_outputs
    # Absolute paths, as from a search view, work the same.
    rm -f "$work/out"/*
    "$nautilus_script" "$work/pictures/a b.jpg" "$work/pictures/-leading.jpg" ||
      fail "the Nautilus script failed"
    expect_one_mail "$work/out/S_a b.jpg" "$work/out/S_-leading.jpg"
    ;;

  keeps-user-files)
    # Uninstall removes only what install wrote: the settings file, pictures saved into the
    # program folder, and the user's own entries and scripts in shared folders stay.
    mkdir -p "$prefix/share/applications" "${nautilus_script%/*}"
    printf '[Desktop Entry]\nType=Application\nName=Other\nExec=other %%F\nMimeType=image/png;\n' \
      >"$prefix/share/applications/other.desktop"
    printf '#!/bin/sh\n' >"${nautilus_script%/*}/my script"
    install_kobanto
    write_settings "$lib" 0
    picture "$work/pictures/DSC0001.JPG"
    "$prefix/bin/kobanto" "$work/pictures/DSC0001.JPG" || fail "kobanto failed"
    is_jpeg "$lib/S_DSC0001.JPG" || fail "no output in the program folder"
    uninstall_kobanto
    left=$(found_under_prefix | tr '\n' '|')
    want=".|lib|lib/kobanto|lib/kobanto/S_DSC0001.JPG|lib/kobanto/kobanto.ini|share|"
    want+="share/applications|share/applications/other.desktop|"
    if [[ -e "$prefix/share/applications/mimeinfo.cache" ]]; then
      want+="share/applications/mimeinfo.cache|"
      ! grep -q kobanto "$prefix/share/applications/mimeinfo.cache" ||
        fail "the desktop database still names Kobanto"
    fi
    want+="share/nautilus|share/nautilus/scripts|share/nautilus/scripts/my script|"
    [[ "$(echo "$want" | tr '|' '\n' | LC_ALL=C sort | tr '\n' '|')" == "|$left" ]] ||
      fail "uninstall left $left"
    uninstall_kobanto # again: nothing to do, no error
    ;;

  failing-desktop-tools)
    # Desktop tools that fail never fail the install.
    for tool in update-desktop-database gtk-update-icon-cache; do
      printf '#!/bin/sh\nexit 1\n' >"$work/tools/$tool"
      chmod 755 "$work/tools/$tool"
    done
    mkdir -p "$prefix/share/icons/hicolor"
    : >"$prefix/share/icons/hicolor/icon-theme.cache"
    install_kobanto || fail "the install failed"
    [[ -x "$program" ]] || fail "no program"
    uninstall_kobanto || fail "the uninstall failed"
    [[ -z "$(find "$prefix" -name 'kobanto*')" ]] || fail "uninstall left files"
    ;;

  refused-prefixes)
    # A prefix the user cannot write is refused with a clear message, before anything is written.
    # The unprivileged user runs a copy of the scripts and programs in a folder it can surely
    # reach (the temporary folder given to the tests may not be).
    shared=$(mktemp -d /tmp/kobanto-install-test.XXXXXX)
    trap 'chmod -R u+rwx "$work" "$shared" 2>/dev/null; rm -rf "$work" "$shared"' EXIT
    mkdir -p "$shared/system" "$shared/copy/scripts" "$shared/copy/build"
    cp "$source_folder/scripts/install.sh" "$shared/copy/scripts/"
    cp -r "$source_folder/desktop" "$shared/copy/"
    cp "$build/kobanto" "$build/SendTo.exe" "$shared/copy/build/"
    chmod -R a+rX "$shared"
    if ((EUID == 0)); then
      run=(setpriv --reuid=65534 --regid=65534 --clear-groups)
    else
      chmod 555 "$shared/system"
      run=()
    fi
    if "${run[@]}" "$shared/copy/scripts/install.sh" "$shared/copy/build" "$shared/system/usr" \
      2>"$work/err"; then
      fail "installed into a prefix the user cannot write"
    fi
    grep -q "cannot write to $shared/system" "$work/err" || fail "unclear message: $(<"$work/err")"
    grep -q "system-wide prefix is not supported" "$work/err" || fail "no hint: $(<"$work/err")"
    [[ -z "$(ls -A "$shared/system")" ]] || fail "the refused install wrote files"
    # Prefixes that a desktop entry, a Nemo command or the manifest cannot carry.
    for bad in "$work/50%" "$work/new"$'\n'"line" "$work/"$'\xff'; do
      if "$source_folder/scripts/install.sh" "$build" "$bad" 2>"$work/err"; then
        fail "installed into ${bad@Q}"
      fi
      grep -q "choose another one" "$work/err" || fail "unclear message: $(<"$work/err")"
      [[ ! -e "$bad" ]] || fail "the refused install wrote into ${bad@Q}"
    done
    ;;

  *) fail "unknown case" ;;
esac
echo "PASS: $test_case"
