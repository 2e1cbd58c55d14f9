#!/bin/sh
# Starts Penvale, or says in one line how to when there is no display.
set -eu
program="$1"; shift || true
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display found: start Penvale on a desktop, or under Xvfb with: xvfb-run -a $program" >&2
  exit 2
fi
exec "$program" "$@"
