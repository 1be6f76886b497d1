#!/usr/bin/env bash
# Installs a build into a staging prefix and checks what a package would hold: the files, icons,
# desktop entry and metainfo, manual pages, and where the launcher starts the program.
# Usage: check_install.sh <build-dir>
set -uo pipefail
build=${1:?usage: check_install.sh <build-dir>}
id=io.github.roteka.Roteka
failures=0
check() { # check <description> <command...>: ok when the command succeeds
  local what=$1
  shift
  if "$@"; then echo "ok - $what"; else echo "not ok - $what"; failures=$((failures + 1)); fi
}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/stage/usr
cmake --install "$build" --prefix "$prefix" >"$work/install.log" 2>&1 || { cat "$work/install.log"; exit 1; }

expected=(bin/roteka bin/roteka-launcher bin/roteka-mapgen bin/roteka-sim
  "share/applications/$id.desktop" "share/metainfo/$id.metainfo.xml" share/doc/roteka/LICENSE
  share/doc/roteka/README.md share/doc/roteka/copyright share/roteka/land-110m.json
  share/roteka/world-atlas-LICENSE)
programs=(roteka roteka-sim roteka-mapgen roteka-launcher)
for program in "${programs[@]}"; do expected+=("share/man/man1/$program.1"); done
for size in 16 22 24 32 48 64 128 256; do
  icon=share/icons/hicolor/${size}x${size}/apps/$id.png
  expected+=("$icon")
  # A PNG's signature, then its width and height as big-endian words at bytes 16 and 20.
  png=$(od -An -tx1 -N24 "$prefix/$icon" 2>/dev/null | tr -d ' \n')
  check "the ${size}px icon is a ${size}x${size} PNG" \
    [ "$png" = "89504e470d0a1a0a0000000d49484452$(printf '%08x%08x' "$size" "$size")" ]
done
check "exactly the expected files are installed" \
  diff <(printf '%s\n' "${expected[@]}" | LC_ALL=C sort) \
  <(cd "$prefix" && find . \( -type f -o -type l \) | sed 's#^\./##' | LC_ALL=C sort)
check "the programs are executable" [ -z "$(find "$prefix/bin" -type f ! -perm -u=x)" ]
quiet() { "$@" >/dev/null 2>&1; }
check "the installed simulator runs" quiet "$prefix/bin/roteka-sim" --help

# The page formats without a warning at the width lintian uses and is the named program's.
formats() {
  local warnings text
  warnings=$(MANWIDTH=80 man --warnings -E UTF-8 -l "$2" 2>&1 >/dev/null) && [ -z "$warnings" ] &&
    text=$(MANWIDTH=80 man -E UTF-8 -l "$2" 2>/dev/null) && grep -qE "^ +$1 +- " <<<"$text"
}
# Each long option in the program's --help is described in its page (written \- in roff).
documented() {
  local help option page
  help=$(QT_QPA_PLATFORM=offscreen "$prefix/bin/$1" --help) && page=$(sed 's/\\-/-/g' "$2") || return 1
  for option in $(grep -oE -- '--[a-z][a-z0-9-]*' <<<"$help" | sort -u); do
    grep -qF -- "$option" <<<"$page" || { echo "$1: $option is not in $2"; return 1; }
  done
}
for program in "${programs[@]}"; do
  page=$prefix/share/man/man1/$program.1
  check "the manual page of $program formats without a warning" formats "$program" "$page"
  [ "$program" = roteka-launcher ] ||
    check "the manual page of $program names each option of --help" documented "$program" "$page"
done

desktop=$prefix/share/applications/$id.desktop
metainfo=$prefix/share/metainfo/$id.metainfo.xml
entry() { sed -n "s/^$1=//p" "$desktop"; }
check "desktop-file-validate accepts the desktop entry" quiet desktop-file-validate "$desktop"
check "appstreamcli accepts the metainfo" quiet appstreamcli validate --no-net "$metainfo"
check "the entry starts the installed launcher, not in a terminal" \
  [ "$(entry Exec)|$(entry Terminal)" = "roteka-launcher|false" -a -x "$prefix/bin/$(entry TryExec)" ]
check "the entry's icon is the installed icon" [ "$(entry Icon)" = "$id" ]
check "the metainfo names its id and launches the entry" \
  grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$metainfo"

# Stand-ins for roteka beside a copy of the launcher (bin) and on PATH (path) print their
# working directory, which of the two they are, then each argument between < and >.
mkdir -p "$work/bin" "$work/path" "$work/home" "$work/cwd" "$work/lonely"
cp "$prefix/bin/roteka-launcher" "$work/bin/"
cp "$prefix/bin/roteka-launcher" "$work/lonely/"
for where in bin path; do
  printf '#!/bin/sh\npwd -P\necho %s\nfor a in "$@"; do printf "<%%s>\\n" "$a"; done\n' "$where" \
    >"$work/$where/roteka"
  chmod +x "$work/$where/roteka"
done
home=$work/home
# launch <launcher> <XDG_DATA_HOME or - for unset> <args...>: from $work/cwd, a clean environment.
launch() {
  local launcher=$1 xdg=$2 environment=(HOME="$home" PATH="$work/path:/usr/bin:/bin")
  shift 2
  [ "$xdg" = - ] || environment+=(XDG_DATA_HOME="$xdg")
  (cd "$work/cwd" && env -i "${environment[@]}" "$launcher" "$@") >"$work/out" 2>"$work/err"
}
started() { [ -d "$1" ] && [ "$(head -n2 "$work/out")" = "$(cd "$1" && pwd -P)"$'\n'"$2" ]; }
data=$home/.local/share/roteka

launch "$work/bin/roteka-launcher" -
check "without XDG_DATA_HOME it starts in ~/.local/share/roteka" started "$data" bin
launch "$work/bin/roteka-launcher" "$work/my data"
check "it starts in \$XDG_DATA_HOME/roteka (a path with a space)" started "$work/my data/roteka" bin
rm -rf "$home/.local"
launch "$work/bin/roteka-launcher" ""
check "an empty XDG_DATA_HOME means ~/.local/share" started "$data" bin
rm -rf "$home/.local"
launch "$work/bin/roteka-launcher" relative/data
check "a relative XDG_DATA_HOME is ignored" eval 'started "$data" bin && [ ! -e "$work/cwd/relative" ]'
printf '5,4800,N,8,1:10\r\n' >"$data/ROTEKA.DAT"
launch "$work/bin/roteka-launcher" - "two words" "" "-x" "*"
check "ROTEKA.DAT is kept and arguments are passed on unchanged" eval 'started "$data" bin &&
  [ "$(tail -n +3 "$work/out")" = "$(printf "<two words>\n<>\n<-x>\n<*>")" ] &&
  [ "$(cat "$data/ROTEKA.DAT")" = "$(printf "5,4800,N,8,1:10\r")" ]'
launch ../bin/roteka-launcher -
check "started by a relative path, it starts the roteka beside it" started "$data" bin
(cd "$work/cwd" && env -i HOME="$home" PATH="$work/bin:$work/path:/usr/bin:/bin" roteka-launcher) \
  >"$work/out" 2>"$work/err"
check "started by name through PATH, it starts the roteka beside it" started "$data" bin
launch "$work/lonely/roteka-launcher" "$work/other"
check "with no roteka beside it, it starts the one on PATH" started "$work/other/roteka" path
: >"$work/a-file"
check "a data directory that cannot be made is reported and nothing started" \
  eval '! launch "$work/bin/roteka-launcher" "$work/a-file" && [ ! -s "$work/out" ] &&
  grep -q "roteka-launcher: " "$work/err"'

[ "$failures" -eq 0 ] && echo "all checks passed" || { echo "$failures check(s) failed"; exit 1; }
