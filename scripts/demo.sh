#!/usr/bin/env bash
# Shows what the product does, step by step, in a scratch drive C:.
set -euo pipefail
BUILD=${1:-build}
BIN=$(cd "$BUILD/bin" && pwd)
export STATION_DRIVE_C=$(mktemp -d /tmp/station-demo-XXXXXX)
trap 'chmod -R u+w "$STATION_DRIVE_C"; rm -rf "$STATION_DRIVE_C"' EXIT
echo "Drive C: is $STATION_DRIVE_C"
for part in scripts/demo.d/*.sh; do
  [ -f "$part" ] || continue
  echo
  echo "== $(sed -n 's/^# demo: //p' "$part")"
  BIN="$BIN" bash "$part"
done
