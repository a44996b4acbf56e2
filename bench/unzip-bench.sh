#!/usr/bin/env bash
# upd-unzip against `unzip -P` and `7z x -p` on the same ~150 MB update
# package made by `zip -P` (deflated, encrypted; incompressible files end up
# stored): whole-process wall time (median) and peak memory (largest) over
# alternating runs into fresh directories, printed with ratios.
# Not a test: prints numbers. Usage: bench/unzip-bench.sh [BUILD_DIR] [RUNS]
# Targets: upd-unzip at most 0.8x the wall time of the faster peer, peak
# memory under 16 MiB.
set -euo pipefail
BUILD=${1:-build}
RUNS=${2:-5}
UPD=$(cd "$BUILD/bin" && pwd)/upd-unzip
[ -x "$UPD" ] || { echo "unzip-bench: $UPD not built" >&2; exit 1; }
for tool in zip unzip 7z python3 /usr/bin/time; do
  command -v "$tool" >/dev/null || { echo "unzip-bench: $tool is missing" >&2; exit 1; }
done

# The package is kept between runs of the benchmark (it takes a while to make);
# the stamp names the generator, so a changed generator makes a new one.
CACHE=${UNZIP_BENCH_CACHE:-/tmp/upd-unzip-bench}
STAMP=gen-v1
PW=HarborLanterns7351
PKG=$CACHE/package.zip
if [ ! -f "$CACHE/$STAMP" ] || [ ! -f "$PKG" ]; then
  rm -rf "$CACHE"
  mkdir -p "$CACHE/src"
  echo "unzip-bench: generating the sources in $CACHE/src"
  python3 - "$CACHE/src" <<'PY'
import os, random, sys
root = sys.argv[1]
r = random.Random(20240611)
words = ('pump tank nozzle shift receipt litre price card cash fuel diesel grade '
         'station operator report journal total volume counter error status ok').split()

def text(n):  # log and configuration-like lines
    out, size = [], 0
    while size < n:
        line = '%08d %s %s=%d %s %.2f\r\n' % (size, r.choice(words), r.choice(words),
                                              r.randrange(1000), ' '.join(r.choices(words, k=6)),
                                              r.random() * 1000)
        out.append(line)
        size += len(line)
    return ''.join(out).encode()[:n]

def packed(n):  # already compressed: images, archives, media
    return r.randbytes(n)

def program(n):  # executables and data files: repeated blocks, tables, padding
    blocks = [r.randbytes(r.randrange(16, 256)) for _ in range(64)]
    out, size = bytearray(), 0
    while size < n:
        kind = r.random()
        if kind < 0.6:
            b = r.choice(blocks)
        elif kind < 0.8:
            b = bytes(r.randrange(0, 32) for _ in range(r.randrange(8, 64)))
        else:
            b = b'\0' * r.randrange(16, 512)
        out += b
        size += len(b)
    return bytes(out[:n])

kinds = [('txt', text, 100), ('dat', packed, 110), ('bin', program, 60)]  # MiB each
count = 0
for ext, make, mib in kinds:
    left = mib << 20
    i = 0
    while left > 0:
        n = min(left, int(2 ** r.uniform(10, 22.5)))  # 1 KiB .. ~6 MiB
        d = os.path.join(root, ext, 'd%02d' % (i % 12))
        os.makedirs(d, exist_ok=True)
        with open(os.path.join(d, 'f%04d.%s' % (i, ext)), 'wb') as f:
            f.write(make(n))
        left -= n
        i += 1
        count += 1
print('unzip-bench: %d files' % count)
PY
  echo "unzip-bench: zip -P into $PKG"
  (cd "$CACHE/src" && zip -q -r -P "$PW" "$PKG" .)
  touch "$CACHE/$STAMP"
fi
echo "unzip-bench: package $(( $(stat -c %s "$PKG") >> 20 )) MiB, $(du -sm "$CACHE/src" | cut -f1) MiB in" \
     "$(find "$CACHE/src" -type f | wc -l) files"

OUT=$(mktemp -d /tmp/unzip-bench-out-XXXXXX)
trap 'rm -rf "$OUT"' EXIT

# Runs a command under /usr/bin/time; prints "seconds kilobytes".
measure() {
  /usr/bin/time -f "%e %M" -o "$OUT/time" "$@" </dev/null >/dev/null 2>"$OUT/stderr" ||
    { echo "unzip-bench: failed: $*" >&2; cat "$OUT/stderr" >&2; exit 1; }
  cat "$OUT/time"
}

run_tool() {  # name destination
  case $1 in
    upd-unzip) measure "$UPD" -q -r -P "$PW" -d "$2" "$PKG" ;;
    unzip)     measure unzip -q -P "$PW" "$PKG" -d "$2" ;;
    7z)        measure 7z x -p"$PW" -bso0 -bsp0 -o"$2" "$PKG" ;;
  esac
}

TOOLS="upd-unzip unzip 7z"
declare -A WALLS RSS
for t in $TOOLS; do WALLS[$t]=""; RSS[$t]=0; done
for run in $(seq 1 "$RUNS"); do
  # Alternate the order so that no tool always runs after the same one.
  order=$TOOLS
  [ $((run % 2)) -eq 0 ] && order="7z unzip upd-unzip"
  for t in $order; do
    dest=$OUT/$t
    rm -rf "$dest"
    read -r wall kb < <(run_tool "$t" "$dest")
    WALLS[$t]="${WALLS[$t]} $wall"
    [ "$kb" -gt "${RSS[$t]}" ] && RSS[$t]=$kb
    if [ "$run" -eq 1 ] && [ "$t" = upd-unzip ]; then
      diff -r -q "$CACHE/src" "$dest" >/dev/null || { echo "unzip-bench: upd-unzip output differs" >&2; exit 1; }
    fi
    rm -rf "$dest"
  done
  echo "unzip-bench: run $run of $RUNS done"
done

median() { tr ' ' '\n' | grep . | sort -g | awk '{ a[NR] = $1 } END { print (NR % 2) ? a[(NR + 1) / 2] : (a[NR / 2] + a[NR / 2 + 1]) / 2 }'; }
declare -A MED
printf '%-10s %14s %14s   %s\n' tool "median wall s" "peak RSS KiB" "all runs"
for t in $TOOLS; do
  MED[$t]=$(echo "${WALLS[$t]}" | median)
  printf '%-10s %14s %14s  %s\n' "$t" "${MED[$t]}" "${RSS[$t]}" "${WALLS[$t]}"
done
faster=7z
awk -v a="${MED[unzip]}" -v b="${MED[7z]}" 'BEGIN { exit !(a < b) }' && faster=unzip
awk -v u="${MED[upd-unzip]}" -v z="${MED[7z]}" -v un="${MED[unzip]}" -v f="${MED[$faster]}" \
    -v fn="$faster" -v m="${RSS[upd-unzip]}" 'BEGIN {
  printf "upd-unzip / 7z x:    %.2fx wall\n", u / z
  printf "upd-unzip / unzip:   %.2fx wall\n", u / un
  printf "target: <= 0.80x of %s (the faster peer): %s; peak %.1f MiB (target < 16): %s\n",
         fn, (u / f <= 0.8 ? "met" : "missed"), m / 1024, (m < 16384 ? "met" : "missed")
}'
