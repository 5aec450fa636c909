#!/usr/bin/env bash
# Tries Torvane without hardware. Runs the window on its built-in simulated
# switcher when the Qt front-end is built; until then, starts the simulated
# switcher on loopback and drives it with torvanectl, so every step can be seen.
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR="${BUILD_DIR:-build}"
[ -x "$BUILD_DIR/torvane-sim" ] || scripts/setup.sh

if [ -x "$BUILD_DIR/gui/torvane" ]; then
  if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
    echo "No display here (neither DISPLAY nor WAYLAND_DISPLAY is set), so the window cannot show."
    echo "Run it on a virtual display instead (packages xvfb and xauth, installed by scripts/setup.sh):"
    echo
    echo "    xvfb-run -a $BUILD_DIR/gui/torvane --demo"
    echo
    echo "or write its pictures without any display:"
    echo
    echo "    QT_QPA_PLATFORM=offscreen $BUILD_DIR/gui/torvane --demo --screenshots shots/"
    exit 1
  fi
  exec "$BUILD_DIR/gui/torvane" --demo "$@"
fi

echo "The Qt front-end (torvane) is not built yet. Showing the same core through torvanectl"
echo "against the simulated switcher instead."
echo

out=$(mktemp)
# Discovery stays on loopback: free UDP ports, requests to 127.255.255.255.
"$BUILD_DIR/torvane-sim" --port 0 --discovery-port 0 --config-port 0 >"$out" &
sim=$!
trap 'kill "$sim" 2>/dev/null; wait "$sim" 2>/dev/null; rm -f "$out"' EXIT
for _ in $(seq 100); do grep -q '^ready' "$out" && break; sleep 0.05; done
tcp=$(sed -n 's/^tcp //p' "$out")
serial=$(sed -n 's/^serial //p' "$out")
read -r discovery_port config_port < <(sed -n 's/^udp discovery \([0-9]*\) configuration \([0-9]*\)/\1 \2/p' "$out")
net=(--bind 127.0.0.1 --broadcast 127.255.255.255 --discovery-port "$discovery_port"
     --config-port "$config_port" --wait 500)
echo "Simulated switcher: TCP $tcp, serial $serial"

run() {
  echo
  echo "\$ torvanectl $*"
  "$BUILD_DIR/torvanectl" "$@" || echo "(exit status $?)"
}
run --tcp "$tcp" status
run --tcp "$tcp" beep off
run --serial "$serial" --trace status
run --tcp "$tcp" --json status
run discover "${net[@]}"
