#!/usr/bin/env bash
# Runs a test program the way a new user would run Torvane: without root.
# Root opens a serial line another process holds exclusively, ignores device
# permissions and needs no dialout membership, so the links and end-to-end
# tests would pass where users fail. When started as root this drops to the
# unprivileged account (TORVANE_TEST_USER, default nobody) with no groups and
# no capabilities; otherwise it runs the program as it is.
set -euo pipefail
if [ "$(id -u)" -ne 0 ]; then
  exec env TORVANE_UNPRIVILEGED=1 "$@"
fi
user="${TORVANE_TEST_USER:-nobody}"
group="$(id -gn "$user")"
exec setpriv --reuid="$user" --regid="$group" --clear-groups --inh-caps=-all \
  env TORVANE_UNPRIVILEGED=1 HOME=/tmp "$@"
