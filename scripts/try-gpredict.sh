#!/usr/bin/env bash
# Tries ROTEKA's network control with Gpredict, as an operator uses it, on a virtual X display:
# the simulator is bound as COM3, `roteka --listen 4533` runs on it, and Gpredict (from Debian,
# with a rotator "roteka" at localhost:4533) opens its antenna control, engages, asks for 180
# degrees, then for 280, then disengages. The simulator's log must show the go-to commands and
# the stop; screenshots of Gpredict's dialog (its "Read:" is the position ROTEKA reports) and of
# ROTEKA's window are left in the directory printed at the end. Gpredict is clicked at places
# measured on its 2.3 dialog laid out on a 1280 x 1024 screen.
# Usage: scripts/try-gpredict.sh [build-dir]   (default: build; built when needed)
set -euo pipefail
cd "$(dirname "$0")/.."

if [ "${1:-}" != --on-display ]; then
  build=${1:-build}
  scripts/deps.sh gpredict xvfb xauth xdotool imagemagick
  [ -f "$build/CMakeCache.txt" ] || cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo
  cmake --build "$build" -j"$(nproc)" --target roteka roteka-sim
  exec xvfb-run -a -s "-screen 0 1280x1024x24 -dpi 96 -nolisten tcp" "$0" --on-display "$build"
fi

build=$(cd "$2" && pwd)
work=$(mktemp -d)
pids=()
trap 'for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done; wait 2>/dev/null || true' EXIT
unset QT_QPA_PLATFORM
export XDG_CONFIG_HOME=$work/config
mkdir -p "$work/home/.config/Gpredict/hwconf" "$work/roteka"
printf '[Rotator]\nHost=localhost\nPort=4533\nAzType=0\nMinAz=0\nMaxAz=360\nMinEl=0\nMaxEl=90\n' \
  >"$work/home/.config/Gpredict/hwconf/roteka.rot"
printf '3,9600,N,8,1:0\r\n' >"$work/roteka/ROTEKA.DAT"

"$build/roteka-sim" --alias 3 --log --speed 20 >"$work/sim.log" 2>&1 &
pids+=($!)
sleep 1
(cd "$work/roteka" && exec "$build/roteka" --listen 4533) >"$work/roteka.log" 2>&1 &
pids+=($!)
sleep 2
HOME=$work/home XDG_CONFIG_HOME=$work/home/.config gpredict >"$work/gpredict.log" 2>&1 &
pids+=($!)
sleep 8

click() { xdotool mousemove "$1" "$2" click 1; sleep "$3"; }
click 680 44 1   # the module's menu
click 762 238 2  # Antenna Control
click 780 196 10 # Engage: 180 degrees, the dialog's first target
import -window root -crop 840x330+0+0 "$work/gpredict-180.png"
click 259 44 10  # azimuth hundreds up: 280
import -window root -crop 840x330+0+0 "$work/gpredict-280.png"
click 780 196 2  # disengage
id=$(xdotool search --name '^ROTEKA$' | head -n 1)
xdotool windowraise "$id" windowmove "$id" 900 100
sleep 1
import -window root -crop 260x360+890+90 "$work/roteka.png"

for line in 'RX M180' 'RX M280' 'RX A'; do
  grep -q "^$line\$" "$work/sim.log" || { echo "the controller never received \"${line#RX }\"" >&2; exit 1; }
done
echo "the controller received M180, M280 and A; screenshots in $work"
