#!/usr/bin/env bash
# Makes the README's screenshots, docs/images/operating.png, settings.png and map-menu.png, of
# the real ROTEKA window on a virtual X display (Xvfb): ROTEKA is connected to the simulator
# bound as COM3, a click on the map sends the antenna turning, and the operating page is taken
# while it turns; a right click on the map opens its menu, shown with its presets open; then a
# click on the "環境設定" tab shows the settings page. Settings, presets and port aliases live in
# a temporary directory, so the operator's own stay untouched.
# Usage: scripts/screenshots.sh [build-dir]   (default: build; built when needed)
set -euo pipefail
cd "$(dirname "$0")/.."

if [ "${1:-}" != --on-display ]; then
  build=${1:-build}
  scripts/deps.sh xvfb xauth xdotool imagemagick
  [ -f "$build/CMakeCache.txt" ] || cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo
  cmake --build "$build" -j"$(nproc)" --target roteka roteka-sim
  exec xvfb-run -a -s "-screen 0 640x480x24 -dpi 96 -nolisten tcp" "$0" --on-display "$build"
fi

build=$(cd "$2" && pwd)
out=$PWD/docs/images
mkdir -p "$out"
work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# wait_for <seconds> <command...>: polls the command every tenth of a second.
wait_for() {
  local tenths=$(($1 * 10))
  shift
  for _ in $(seq "$tenths"); do "$@" && return 0; sleep 0.1; done
  return 1
}

export XDG_CONFIG_HOME=$work/config
unset QT_QPA_PLATFORM QT_SCALE_FACTOR QT_SCREEN_SCALE_FACTORS QT_AUTO_SCREEN_SCALE_FACTOR
printf '3,9600,N,8,1:0\r\n' >"$work/ROTEKA.DAT"
mkdir -p "$XDG_CONFIG_HOME/roteka"
printf '[presets]\n1\\name=EU\n1\\bearing=330\n2\\name=NA\n2\\bearing=30\nsize=2\n' \
  >"$XDG_CONFIG_HOME/roteka/roteka.conf"

"$build/roteka-sim" --alias 3 --alias-dir "$XDG_CONFIG_HOME/roteka/ports" \
  --speed 20 --start 30 --log >"$work/sim.log" &
pids+=($!)
wait_for 10 grep -q '^ALIAS' "$work/sim.log" || { echo "the simulator did not start" >&2; exit 1; }

(cd "$work" && exec "$build/roteka") 2>"$work/roteka.log" &
pids+=($!)
window=$(timeout 20 xdotool search --sync --onlyvisible --name '^ROTEKA$' | head -n1) ||
  { echo "the ROTEKA window did not appear" >&2; cat "$work/roteka.log" >&2; exit 1; }
sleep 1

grab() {
  xdotool mousemove 630 470
  sleep 1
  import -window "$window" -strip -define png:exclude-chunks=date,time "png:$out/$1"
  echo "Wrote docs/images/$1"
}

# The map's centre is at (108, 208) in the window: the tab control at (2, 32), the picture at
# (4, 74) inside it, the station at (102, 102) of the picture. A click 60 px from the centre
# towards the north-west asks for a bearing near 300°; the antenna turns clockwise from 30°.
xdotool mousemove --window "$window" 56 178 click 1
wait_for 5 grep -q '^RX M[0-9]' "$work/sim.log" ||
  { echo "the click on the map did not reach the simulator" >&2; cat "$work/sim.log" >&2; exit 1; }
sleep 4
grab operating.png

# A right click on the map opens its menu; the keyboard opens the presets (the fourth entry). The
# menus are windows of their own: the whole screen is taken and cut to what is not background.
xdotool mousemove --window "$window" 150 170 click 3
sleep 1
xdotool key Down Down Down Down Right
sleep 1
import -window root -strip -define png:exclude-chunks=date,time "png:$work/screen.png"
convert "$work/screen.png" -trim +repage -strip -define png:exclude-chunks=date,time \
  "png:$out/map-menu.png"
echo "Wrote docs/images/map-menu.png"
xdotool key Escape Escape
sleep 1

# The tab row is 20 px high at the top of the tab control; the second of two equal tabs.
xdotool mousemove --window "$window" 162 42 click 1
grab settings.png
