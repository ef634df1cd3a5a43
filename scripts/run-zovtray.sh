#!/usr/bin/env bash
# Starts the tray program on the user's desktop.
set -euo pipefail
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "zovtray needs a graphical session (no DISPLAY or WAYLAND_DISPLAY is set)." >&2
  exit 1
fi
exec "$1"
