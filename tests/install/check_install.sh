#!/usr/bin/env bash
# Installs a build into a staging prefix and checks the result: exactly the expected files in
# their places, executables executable, icons of the size their directory names, the desktop
# entry and the AppStream metainfo valid and pointing at each other, and the launcher starting
# the program in the per-user data directory (with a stand-in program that reports its working
# directory and arguments).
# Usage: check_install.sh <build-dir>
set -uo pipefail

build=${1:?usage: check_install.sh <build-dir>}
id=io.github.roteka.Roteka
sizes=(16 22 24 32 48 64 128 256)

failures=0
ok() { printf 'ok - %s\n' "$1"; }
fail() {
  printf 'not ok - %s\n' "$1"
  failures=$((failures + 1))
}
# report <description>: ok when the command just before it succeeded.
report() {
  if [ $? -eq 0 ]; then ok "$1"; else fail "$1"; fi
}

for tool in cmake desktop-file-validate appstreamcli; do
  if ! command -v "$tool" >/dev/null; then
    echo "check_install.sh: $tool not found (run scripts/deps.sh)" >&2
    exit 1
  fi
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/stage/usr

if ! cmake --install "$build" --prefix "$prefix" >"$work/install.log" 2>&1; then
  cat "$work/install.log"
  fail "cmake --install into a staging prefix"
  exit 1
fi
ok "cmake --install into a staging prefix"

# --- the installed files --------------------------------------------------------------------

expected=(
  bin/roteka
  bin/roteka-launcher
  bin/roteka-mapgen
  bin/roteka-sim
  "share/applications/$id.desktop"
  "share/metainfo/$id.metainfo.xml"
  share/doc/roteka/LICENSE
  share/doc/roteka/README.md
  share/doc/roteka/copyright
  share/roteka/land-110m.json
  share/roteka/world-atlas-LICENSE
)
for size in "${sizes[@]}"; do
  expected+=("share/icons/hicolor/${size}x${size}/apps/$id.png")
done

(cd "$prefix" && find . \( -type f -o -type l \) | sed 's#^\./##' | LC_ALL=C sort) >"$work/actual"
printf '%s\n' "${expected[@]}" | LC_ALL=C sort >"$work/expected"
mapfile -t missing < <(LC_ALL=C comm -23 "$work/expected" "$work/actual")
mapfile -t unexpected < <(LC_ALL=C comm -13 "$work/expected" "$work/actual")
[ ${#missing[@]} -eq 0 ] || printf 'missing: %s\n' "${missing[@]}"
[ ${#unexpected[@]} -eq 0 ] || printf 'unexpected: %s\n' "${unexpected[@]}"
[ ${#missing[@]} -eq 0 ] && [ ${#unexpected[@]} -eq 0 ]
report "exactly the expected files are installed"

for program in roteka roteka-launcher roteka-mapgen roteka-sim; do
  [ -x "$prefix/bin/$program" ]
  report "bin/$program is executable"
done
"$prefix/bin/roteka-sim" --help >/dev/null
report "the installed simulator runs"

# Width and height are the big-endian words at bytes 16 and 20 of a PNG file.
png_size() {
  od -An -tu1 -j16 -N8 "$1" |
    awk '{ printf "%dx%d\n", $1*16777216 + $2*65536 + $3*256 + $4, $5*16777216 + $6*65536 + $7*256 + $8 }'
}
png_signature() { od -An -tx1 -N8 "$1" | tr -d ' \n'; }
for size in "${sizes[@]}"; do
  icon=$prefix/share/icons/hicolor/${size}x${size}/apps/$id.png
  [ -f "$icon" ] || continue
  [ "$(png_signature "$icon")" = 89504e470d0a1a0a ] && [ "$(png_size "$icon")" = "${size}x${size}" ]
  report "the ${size}x${size} icon is a ${size}x${size} PNG"
done

# --- desktop entry and metainfo -------------------------------------------------------------

desktop=$prefix/share/applications/$id.desktop
metainfo=$prefix/share/metainfo/$id.metainfo.xml
entry() { sed -n "s/^$1=//p" "$desktop"; }

desktop-file-validate "$desktop"
report "desktop-file-validate accepts the desktop entry"
appstreamcli validate --no-net "$metainfo"
report "appstreamcli validate --no-net accepts the metainfo"
[ "$(entry Exec)" = roteka-launcher ] && [ -x "$prefix/bin/$(entry TryExec)" ]
report "the desktop entry starts the installed launcher"
[ "$(entry Icon)" = "$id" ]
report "the desktop entry's icon is the installed icon"
grep -q "<id>$id</id>" "$metainfo"
report "the metainfo names its own id"
grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$metainfo"
report "the metainfo launches the installed desktop entry"
[ "$(entry Terminal)" = false ]
report "the desktop entry is not run in a terminal"

# --- the launcher ---------------------------------------------------------------------------

# Two stand-ins for roteka, one beside a copy of the launcher and one on PATH, each print
# their working directory, which of the two they are, then each argument between < and >.
mkdir -p "$work/bin" "$work/path" "$work/home" "$work/cwd" "$work/lonely"
cp "$prefix/bin/roteka-launcher" "$work/bin/"
cp "$prefix/bin/roteka-launcher" "$work/lonely/"
for where in bin path; do
  cat >"$work/$where/roteka" <<EOF
#!/bin/sh
pwd -P
echo $where
for argument in "\$@"; do printf '<%s>\n' "\$argument"; done
EOF
  chmod +x "$work/$where/roteka"
done
home=$work/home

# run_launcher <launcher> <XDG_DATA_HOME or "-" for unset> <args...>: run from $work/cwd with
# a clean environment; output in $work/out and $work/err, the exit status returned.
run_launcher() {
  local launcher=$1 xdg=$2
  shift 2
  local environment=(HOME="$home" PATH="$work/path:/usr/bin:/bin")
  [ "$xdg" = - ] || environment+=(XDG_DATA_HOME="$xdg")
  (cd "$work/cwd" && env -i "${environment[@]}" "$launcher" "$@") >"$work/out" 2>"$work/err"
}
# started <directory> <bin|path>: the stand-in from there ran in that directory.
started() {
  [ -d "$1" ] && [ "$(head -n2 "$work/out")" = "$(cd "$1" && pwd -P)"$'\n'"$2" ]
}

run_launcher "$work/bin/roteka-launcher" -
started "$home/.local/share/roteka" bin
report "without XDG_DATA_HOME it creates and starts in ~/.local/share/roteka"

run_launcher "$work/bin/roteka-launcher" "$work/my data"
started "$work/my data/roteka" bin
report "it creates and starts in \$XDG_DATA_HOME/roteka (a path with a space)"

rm -rf "$home/.local"
run_launcher "$work/bin/roteka-launcher" ""
started "$home/.local/share/roteka" bin
report "an empty XDG_DATA_HOME means ~/.local/share"

rm -rf "$home/.local"
run_launcher "$work/bin/roteka-launcher" relative/data
started "$home/.local/share/roteka" bin && [ ! -e "$work/cwd/relative" ]
report "a relative XDG_DATA_HOME is ignored"

printf '5,4800,N,8,1:10\r\n' >"$work/settings"
cp "$work/settings" "$home/.local/share/roteka/ROTEKA.DAT"
run_launcher "$work/bin/roteka-launcher" -
started "$home/.local/share/roteka" bin &&
  cmp -s "$home/.local/share/roteka/ROTEKA.DAT" "$work/settings"
report "an existing data directory and its ROTEKA.DAT are kept"

run_launcher "$work/bin/roteka-launcher" - "two words" "" "-x" "*"
[ "$(tail -n +3 "$work/out")" = "$(printf "<two words>\n<>\n<-x>\n<*>")" ]
report "arguments are passed on unchanged"

run_launcher ../bin/roteka-launcher -
started "$home/.local/share/roteka" bin
report "started by a relative path, it still starts the roteka beside it"

(cd "$work/cwd" && env -i HOME="$home" PATH="$work/bin:$work/path:/usr/bin:/bin" roteka-launcher) \
  >"$work/out" 2>"$work/err"
started "$home/.local/share/roteka" bin
report "started by name through PATH (as the desktop entry does), it starts the roteka beside it"

run_launcher "$work/lonely/roteka-launcher" "$work/other"
started "$work/other/roteka" path
report "with no roteka beside it, it starts the one on PATH"

: >"$work/a-file"
! run_launcher "$work/bin/roteka-launcher" "$work/a-file" &&
  [ ! -s "$work/out" ] && grep -q "roteka-launcher: " "$work/err"
report "a data directory that cannot be made is reported and nothing is started"

if [ "$failures" -ne 0 ]; then
  echo "$failures check(s) failed"
  exit 1
fi
echo "all checks passed"
