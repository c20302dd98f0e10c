#!/usr/bin/env bash
# The hashing pass under Wine (the mingw build) against its floors, side by
# side in one run, best of several rounds with the cases interleaved:
# - 64 files of 16 MiB, MD5 alone, all three digests of before and all four
#   (SHA-256 too), with 1, 2 and (when there are more processors) more
#   workers, against one stream of OpenSSL MD5 (Python's hashlib on Linux)
#   over the same files;
# - one file of 512 MiB, all three and all four digests against MD5 alone;
# - 10,000 files of 4 KiB, all three digests, against a bare walk that opens,
#   reads and closes each file on one thread (and on two, to show what Wine
#   lets two threads gain); then the same again while a spinning process keeps
#   one processor busy. Each open, first read and close is a round trip to the
#   Wine server, and on an idle virtual machine each round trip also waits for
#   a processor to wake: the bare walk's floor moves with the machine's load.
# - the 64 files' whole jobs with SHA-256: a copy (to the clipboard), a
#   checksum file of them created, and that file verified.
# Every file is in the page cache. The files stay in build/mingw/bench/hashing.
#   tools/bench-hashing.sh [rounds (5)] [extra worker counts, comma-separated]
# The machine may be shared: the script prints the load before and after.
set -euo pipefail
source "$(dirname "$0")/environment.sh"
cd "$LUMBRIX_ROOT"

rounds=${1:-5}
cores=$(nproc)
workers=1,2
[ "$cores" -gt 2 ] && workers="$workers,$cores"
[ -n "${2:-}" ] && workers="$workers,$2"

lumbrix_ensure_packages
lumbrix_log "building the benchmark in $LUMBRIX_BUILD"
cmake --preset mingw -B "$LUMBRIX_BUILD" >/dev/null
cmake --build "$LUMBRIX_BUILD" --target hashing_bench -j "$cores"
lumbrix_start_wine

data=$LUMBRIX_BUILD/bench/hashing
if [ ! -f "$data/.done" ]; then
    lumbrix_log "making the files in $data"
    rm -rf "$data"
    python3 - "$data" <<'PY'
import os, random, sys
root = sys.argv[1]
def make(folder, count, size):
    os.makedirs(os.path.join(root, folder))
    for i in range(count):
        with open(os.path.join(root, folder, "%05d.bin" % i), "wb") as f:
            f.write(random.Random(i).randbytes(size) if size <= 4096 else os.urandom(size))
make("many", 64, 16 << 20)
make("one", 1, 512 << 20)
make("small", 10000, 4096)
PY
    touch "$data/.done"
fi
windows_data=$(wine winepath -w "$data" 2>/dev/null | tr -d '\r')

results=$(mktemp)
spinner=
trap 'rm -f "$results"; [ -z "$spinner" ] || kill "$spinner" 2>/dev/null; lumbrix_stop_wine' EXIT
lumbrix_log "load before the run: $(cut -d' ' -f1-3 /proc/loadavg); $rounds rounds, workers $workers"
for round in $(seq "$rounds"); do
    # One stream of OpenSSL MD5 over the many files, then the pass's round.
    python3 - "$data" >>"$results" <<'PY'
import hashlib, os, sys, time
root = sys.argv[1]
for case in ("many", "one"):
    folder = os.path.join(root, case)
    paths = sorted(os.path.join(folder, name) for name in os.listdir(folder))
    start, total = time.perf_counter(), 0
    for path in paths:
        md5 = hashlib.md5()
        with open(path, "rb", buffering=0) as f:
            while chunk := f.read(1 << 20):
                md5.update(chunk)
                total += len(chunk)
    print(case, "openssl-md5", 1, "%.6f" % (time.perf_counter() - start), total, len(paths))
PY
    wine "$LUMBRIX_BUILD/bench/hashing_bench.exe" "$windows_data" "$workers" | tr -d '\r' >>"$results"
    printf '.' >&2
done
# The small files again with one processor kept busy (a spinning process).
mkdir -p "$data/busy" && ln -sfn ../small "$data/busy/small"
python3 -c 'while True: pass' &
spinner=$!
for round in $(seq "$rounds"); do
    wine "$LUMBRIX_BUILD/bench/hashing_bench.exe" "$windows_data\\busy" "$workers" | tr -d '\r' |
        sed -n 's/^small /busy /p' >>"$results"
    printf '.' >&2
done
kill "$spinner"
wait "$spinner" 2>/dev/null || true
spinner=
printf '\n' >&2
lumbrix_log "load after the run: $(cut -d' ' -f1-3 /proc/loadavg)"

python3 - "$results" "$(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2)" "$cores" "$(wine --version)" <<'PY'
import sys
best = {}
for line in open(sys.argv[1]):
    if line.startswith("#") or not line.strip():
        continue
    case, digests, workers, seconds, size, files = line.split()
    key = (case, digests, int(workers))
    best[key] = min(best.get(key, (1e300,))[0], float(seconds)), int(size), int(files)
def mbs(key): return best[key][1] / best[key][0] / 1e6
def fps(key): return best[key][2] / best[key][0]
print("machine:%s, %s cores; %s; best of each, ratios within this run" % (sys.argv[2], sys.argv[3], sys.argv[4]))
print("MD5 engine on memory: %.0f MB/s" % mbs(("memory", "md5", 1)))
floor = ("many", "openssl-md5", 1)
print("\n64 x 16 MiB            | workers | MB/s  | x one stream of OpenSSL MD5 (%.0f MB/s) | target" % mbs(floor))
for digests, name, target in (("md5", "MD5 alone", ">= 1.6"), ("all3", "all three", ">= 1.25"),
                              ("all4", "all four", "")):
    for workers in sorted(w for (c, d, w) in best if c == "many" and d == digests):
        print("%-22s | %7s | %5.0f | %5.2f | %s" % (name, workers or "auto", mbs(("many", digests, workers)),
              mbs(("many", digests, workers)) / mbs(floor), target if workers == 2 else ""))
one_md5, one_all, one_four = ("one", "md5", 0), ("one", "all3", 0), ("one", "all4", 0)
print("\n512 MiB file: MD5 alone %.0f MB/s, all three %.0f MB/s (one worker: %.0f MB/s), OpenSSL MD5 %.0f MB/s"
      % (mbs(one_md5), mbs(one_all), mbs(("one", "all3", 1)), mbs(("one", "openssl-md5", 1))))
print("  all four %.0f MB/s (one worker: %.0f MB/s)" % (mbs(one_four), mbs(("one", "all4", 1))))
print("  all three / MD5 alone: %.3f (target >= 0.95)" % (mbs(one_all) / mbs(one_md5)))
print("  all four / MD5 alone: %.3f (target >= 0.9)" % (mbs(one_four) / mbs(one_md5)))
copy = ("checksum", "copy-sha256", 0)
if copy in best:
    print("\n64 x 16 MiB, whole jobs with SHA-256 | s     | MB/s  | time / the copy | target")
    for digests, name in (("copy-sha256", "copy with only SHA-256 on"), ("create", "SHA-256 list created"),
                          ("verify", "that list verified")):
        key = ("checksum", digests, 0)
        print("%-36s | %5.2f | %5.0f | %5.2f | %s" % (name, best[key][0], mbs(key), best[key][0] / best[copy][0],
              "<= 1.1" if digests != "copy-sha256" else ""))
for case, title in (("small", "10,000 x 4 KiB, all three"), ("busy", "the same, one processor busy")):
    bare = (case, "bare", 1)
    print("\n%-28s | workers | files/s | time / bare one-thread walk (%.0f files/s) | target" % (title, fps(bare)))
    for workers in sorted(w for (c, d, w) in best if c == case and d == "all3"):
        key = (case, "all3", workers)
        print("%-28s | %7s | %7.0f | %5.2f | %s" % ("pass", workers or "auto", fps(key),
              best[key][0] / best[bare][0], "<= 1.1" if workers == 0 and case == "small" else ""))
    print("%-28s | %7s | %7.0f | %5.2f |" % ("bare walk, two threads", 2, fps((case, "bare", 2)),
          best[(case, "bare", 2)][0] / best[bare][0]))
PY
