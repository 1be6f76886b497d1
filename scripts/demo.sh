#!/usr/bin/env bash
# Builds ROTEKA and starts it against the bundled controller simulator. The simulator's
# pseudo-terminal is bound as COM3, the port of the provisional settings, in a demo
# configuration under build/demo, so the operator's own settings and aliases stay untouched.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j"$(nproc)" --target roteka roteka-sim

demo="$PWD/build/demo"
mkdir -p "$demo/config"
export XDG_CONFIG_HOME="$demo/config"
[ -f "$demo/ROTEKA.DAT" ] || printf '3,9600,N,8,1:0\r\n' > "$demo/ROTEKA.DAT"

build/roteka-sim --alias 3 --speed 12 > "$demo/sim.log" &
sim=$!
trap 'kill $sim 2>/dev/null || true' EXIT
for _ in $(seq 50); do grep -q '^ALIAS' "$demo/sim.log" 2>/dev/null && break; sleep 0.1; done

cd "$demo"
if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  echo "No display found: starting ROTEKA on a virtual display (xvfb-run)." >&2
  "$OLDPWD/scripts/deps.sh" xvfb xauth
  exec_cmd=(xvfb-run -a "$OLDPWD/build/roteka")
else
  exec_cmd=("$OLDPWD/build/roteka")
fi
"${exec_cmd[@]}"
