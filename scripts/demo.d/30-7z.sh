# demo: 7z error-report archive through the 7-Zip library (upd-7z, then 7z l)
set -euo pipefail
STAGE="$STATION_DRIVE_C/KORA/Office/ErrorReport"
mkdir -p "$STAGE/LogFiles" "$STAGE/RORADAD"
echo "Pump 3 stops after the first litre." > "$STAGE/info.txt"
seq 1 2000 | sed 's/^/event /' > "$STAGE/LogFiles/station.log"
head -c 65536 /dev/zero > "$STAGE/RORADAD/RORADAD.FDB"
OUT="$STATION_DRIVE_C/ErrorReport.7z"
# The error report's settings: LZMA level 5, not solid, password 914; the
# sub-directories are packed through masks of their own (names match without
# regard to case, as on Windows), so their directory rows come twice.
"$BIN/upd-7z" a -p914 -mx5 -ms=off -q -root "$STAGE/" "$OUT" \
  "$STAGE/*.*" "$STAGE/logfiles/*.*" "$STAGE/RORADAD/*.*"
echo "upd-7z wrote $(stat -c %s "$OUT") bytes; 7z lists it:"
7z l -p914 "$OUT" | sed -n '/^   Date/,$p'
7z t -p914 "$OUT" | grep -E "^Everything is Ok|ERROR" || true
