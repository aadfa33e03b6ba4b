#!/usr/bin/env bash
# Set-up, build, and the main job on the simulated device: the launcher
# window when there is a display, the command-line tool when there is none.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh build
TYPE=${MORVANE_SIM_TYPE:-H}
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  echo "Opening the launcher on a simulated device (type $TYPE)."
  exec build/bin/morvane --sim "$TYPE"
fi
echo "No display found: running the headless equivalent with the command-line tool on a simulated device (type $TYPE)."
build/bin/morvane-cli --sim "$TYPE" detect
echo "Reading the simulated device's configuration into build/simulated.dat ..."
build/bin/morvane-cli --sim "$TYPE" read --out build/simulated.dat
echo "Its phone numbers, as the settings pages show them:"
build/bin/morvane-cli --type "$TYPE" decode build/simulated.dat | sed -n '/"Telefonszámok"/,/}/p'

