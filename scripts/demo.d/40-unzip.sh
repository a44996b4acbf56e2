# demo: Encrypted update package through the ZIP reader (zip -P, then upd-unzip)
set -euo pipefail
if [ ! -x "$BIN/upd-unzip" ]; then
  echo "upd-unzip is not built here; nothing to show"
  exit 0
fi
SRC="$STATION_DRIVE_C/demo-package"
mkdir -p "$SRC/Bin"
printf '[ExeFiles]\r\n0=Station.exe\r\n1=readme.txt\r\n' > "$SRC/FILES.ini"
head -c 300000 /dev/urandom > "$SRC/Bin/Station.exe"
seq 1 20000 | sed 's/^/release note line /' > "$SRC/Bin/readme.txt"
# An update package as the station receives it: every entry encrypted with the
# package password (zip -P adds a data descriptor to each).
PKG="$STATION_DRIVE_C/Update.Ov9"
(cd "$SRC" && zip -q -r -P HarborLanterns7351 "$PKG" .)
echo "zip -P made a package of $(stat -c %s "$PKG") bytes"
echo "-- with the package password, as the installer extracts it (directories dropped):"
"$BIN/upd-unzip" -pHarborLanterns7351 -d 'C:/KORA/Update/AUTO' "$PKG"
OUT="$STATION_DRIVE_C/KORA/Update/AUTO"
for f in FILES.ini Bin/Station.exe Bin/readme.txt; do
  cmp -s "$SRC/$f" "$OUT/$(basename "$f")" && echo "   $(basename "$f") is byte-identical to its source"
done
echo "-- with a wrong password every entry is skipped, no file written:"
"$BIN/upd-unzip" -pwrong -d 'C:/KORA/Update/WRONG' "$PKG" || true
[ -z "$(ls -A "$STATION_DRIVE_C/KORA/Update/WRONG")" ] && echo "   C:\\KORA\\Update\\WRONG is empty"
