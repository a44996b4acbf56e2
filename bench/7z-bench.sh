#!/usr/bin/env bash
# upd-7z against `7z a` with the same settings (-mx5 -ms=off -p914) on the same
# ~150 MB of mixed files: whole-process wall time and peak memory, as ratios.
# Not a test: prints numbers. Usage: bench/7z-bench.sh [BUILD_DIR] [RUNS]
set -euo pipefail
BUILD=${1:-build}
RUNS=${2:-3}
UPD=$(cd "$BUILD/bin" && pwd)/upd-7z
[ -x "$UPD" ] || { echo "7z-bench: $UPD not built" >&2; exit 1; }
command -v 7z >/dev/null || { echo "7z-bench: the 7z tool is missing (p7zip-full)" >&2; exit 1; }

WORK=$(mktemp -d /tmp/7z-bench-XXXXXX)
trap 'rm -rf "$WORK"' EXIT
DATA=$WORK/data
mkdir -p "$DATA/text" "$DATA/random" "$DATA/binary" "$DATA/small"

echo "7z-bench: generating data in $DATA"
# Log-like text, well compressible: 10 files of ~6 MB.
for i in $(seq 0 9); do
  awk -v s="$i" 'BEGIN { for (n = 0; n < 110000; n++)
    printf "%08d station %d pump %02d volume %9.2f litres status OK\n", s * 110000 + n, n % 7, n % 13, n * 0.37 }' \
    > "$DATA/text/log$i.txt"
done
# Incompressible: 4 files of 10 MB.
for i in 1 2 3 4; do head -c 10M /dev/urandom > "$DATA/random/r$i.bin"; done
# Executable code, moderately compressible: 3 files of 10 MB.
find /usr/bin /usr/lib -type f -size +100k 2>/dev/null | head -400 | xargs cat 2>/dev/null | head -c 30M \
  | split -b 10M - "$DATA/binary/code-" || true  # the readers stop early on purpose
# Many small files: 2000 of 10 KB.
cat "$DATA"/text/log[0-3].txt | head -c 20M | split -a 4 -b 10k - "$DATA/small/part-" || true
echo "7z-bench: $(du -sm "$DATA" | cut -f1) MB in $(find "$DATA" -type f | wc -l) files"

# Runs a command under /usr/bin/time -v; prints "wall-seconds kbytes cpu-seconds".
# CPU time (user + system) is shown too: on a busy machine it varies far less.
measure() {
  local log=$WORK/time.log
  /usr/bin/time -v -o "$log" "$@" >/dev/null 2>&1
  local wall rss cpu
  wall=$(awk -F': ' '/Elapsed \(wall clock\)/ { n = split($2, p, ":"); s = 0;
           for (i = 1; i <= n; i++) s = s * 60 + p[i]; print s }' "$log")
  rss=$(awk -F': ' '/Maximum resident set size/ { print $2 }' "$log")
  cpu=$(awk -F': ' '/User time|System time/ { s += $2 } END { print s }' "$log")
  echo "$wall $rss $cpu"
}

best_ours=999999; best_theirs=999999; rss_ours=0; rss_theirs=0; cpu_ours=999999; cpu_theirs=999999
min() { awk -v a="$1" -v b="$2" 'BEGIN { print (b < a ? b : a) }'; }
for run in $(seq 1 "$RUNS"); do
  rm -f "$WORK/ours.7z" "$WORK/theirs.7z"
  read -r w r c < <(cd "$DATA" && measure "$UPD" a -mx5 -ms=off -p914 -r -q -root "$DATA/" "$WORK/ours.7z" "$DATA/*.*")
  best_ours=$(min "$best_ours" "$w"); cpu_ours=$(min "$cpu_ours" "$c")
  [ "$r" -gt "$rss_ours" ] && rss_ours=$r
  read -r w r c < <(cd "$DATA" && measure 7z a -mx5 -ms=off -p914 -bd "$WORK/theirs.7z" text random binary small)
  best_theirs=$(min "$best_theirs" "$w"); cpu_theirs=$(min "$cpu_theirs" "$c")
  [ "$r" -gt "$rss_theirs" ] && rss_theirs=$r
  echo "7z-bench: run $run done"
done

7z t -p914 "$WORK/ours.7z" >/dev/null || { echo "7z-bench: our archive does not test OK" >&2; exit 1; }
size_ours=$(stat -c %s "$WORK/ours.7z")
size_theirs=$(stat -c %s "$WORK/theirs.7z")
printf '%-10s %10s %10s %12s %14s\n' "" "wall s" "cpu s" "peak RSS KB" "archive bytes"
printf '%-10s %10s %10s %12s %14s\n' "upd-7z" "$best_ours" "$cpu_ours" "$rss_ours" "$size_ours"
printf '%-10s %10s %10s %12s %14s\n' "7z a" "$best_theirs" "$cpu_theirs" "$rss_theirs" "$size_theirs"
awk -v a="$best_ours" -v b="$best_theirs" -v c="$rss_ours" -v d="$rss_theirs" -v e="$size_ours" -v f="$size_theirs" \
  -v g="$cpu_ours" -v h="$cpu_theirs" \
  'BEGIN { printf "ratios upd-7z / 7z a: wall %.3f (target <= 1.05), peak memory %.3f (target <= 1.10), cpu %.3f, size %.4f\n",
           a / b, c / d, g / h, e / f }'
