# demo: an update package made by zip -P, listed and extracted by upd-unzip
set -euo pipefail
SRC="$STATION_DRIVE_C/pkg-src"
mkdir -p "$SRC/BIN" "$SRC/REPORTS"
seq 1 3000 | sed 's/^/price line /' > "$SRC/BIN/prices.txt"
head -c 40000 /dev/urandom > "$SRC/BIN/station.dll"
printf '[FILES]\nCount=2\n' > "$SRC/FILES.ini"
echo "shift report" > "$SRC/REPORTS/shift.txt"
PKG="$STATION_DRIVE_C/update.Ov9"
(cd "$SRC" && zip -qr -P demo-pw "$PKG" .)
echo "upd-unzip -l (names in UTF-8, '*' marks encrypted entries):"
"$BIN/upd-unzip" -l "$PKG"
OUT="$STATION_DRIVE_C/KORA/Update/AUTO"
mkdir -p "$OUT"
"$BIN/upd-unzip" -q -r -P demo-pw -d "$OUT" "$PKG"
echo "extracted, exit status $?; diff against the sources:"
diff -r "$SRC" "$OUT" && echo "identical"
echo "a second run without -o keeps what is there (exit status 1):"
"$BIN/upd-unzip" -q -P demo-pw -d "$OUT" "$PKG" FILES.ini || echo "exit status $?"
echo "a wrong password:"
"$BIN/upd-unzip" -q -P wrong -d "$STATION_DRIVE_C/w" "$PKG" '*.ini' || echo "exit status $?"
echo "names outside ASCII, stored by 7z with the UTF-8 flag, listed in UTF-8:"
mkdir -p "$STATION_DRIVE_C/ru" && echo "сменный отчет" > "$STATION_DRIVE_C/ru/Смена.txt"
(cd "$STATION_DRIVE_C/ru" && 7z a -tzip -bso0 "$STATION_DRIVE_C/ru.zip" Смена.txt)
"$BIN/upd-unzip" -l "$STATION_DRIVE_C/ru.zip" | sed -n 3p
