#!/bin/sh
# Side-by-side figures of the code as it was (commit fa884e5, or
# KD_BENCH_BASE) and the current working tree, both built Release in the
# same run on this machine:
#   - the engine on generated networks of 300, 1000 and 2000 points
#     (medians of the wall time and the peak memory),
#   - the headless command end to end on 2000 points (wall time, peak
#     memory against the size of the covariance matrix 8·(3n)² bytes),
#   - live precision after a one-measurement edit, 300 and 1000 points
#     (the old code evaluates again; the new one delivers the update, then
#     the engine's evaluation);
#   - same numbers: engine documents, printed results, tables, covariance
#     matrices, engine results and protocol figures of both builds on the
#     sample and a generated 300-point network (same_numbers.sh).
#
#   bench/compare.sh [REPETITIONS]        (default 3)
#
# The builds are kept in KD_BENCH_DIR (default /tmp/kd-bench) and reused.
# On a busy machine the run can be bounded:
#   KD_BENCH_PARTS   the parts to run, any of "engine command same live"
#                    (default all four; live also needs the desktop
#                    library's build; KD_BENCH_LIVE=0 leaves it out too)
#   KD_BENCH_SIZES   networks of the engine part (default "300 1000 2000")
#   KD_BENCH_POINTS  network of the command part (default 2000)
#   KD_BENCH_LIVE_POINTS  networks of the live part (default "300 1000")
#   KD_BENCH_TIMEOUT seconds any one program may run (default 900); a run
#                    that takes longer is stopped and reported as such
# Needs git, cmake, /usr/bin/time, timeout.
set -eu
reps=${1:-3}
parts=${KD_BENCH_PARTS:-engine command same live}
[ "${KD_BENCH_LIVE:-1}" = 0 ] && parts=$(echo "$parts" | sed 's/live//')
sizes=${KD_BENCH_SIZES:-300 1000 2000}
points=${KD_BENCH_POINTS:-2000}
livePoints=${KD_BENCH_LIVE_POINTS:-300 1000}
limit=${KD_BENCH_TIMEOUT:-900}
has() { case " $parts " in *" $1 "*) return 0 ;; esac; return 1; }
bounded() { timeout "$limit" "$@" || { rc=$?; [ $rc = 124 ] && echo "  (stopped after $limit s)"; return $rc; }; }
here=$(cd "$(dirname "$0")/.." && pwd)
base=${KD_BENCH_BASE:-fa884e5}
dir=${KD_BENCH_DIR:-/tmp/kd-bench}
mkdir -p "$dir"
# The current tree's build is named after its folder: several working trees
# may share the old build.
newdir=$dir/new-$(basename "$here")

build() {  # SOURCE BUILD TARGETS...
  src=$1 out=$2
  shift 2
  cmake -S "$src" -B "$out" -DCMAKE_BUILD_TYPE=Release >"$out.configure.log" 2>&1
  cmake --build "$out" -j2 --target "$@" >"$out.build.log" 2>&1 ||
    { echo "build of $src failed, see $out.build.log" >&2; exit 1; }
}

if [ ! -d "$dir/old-src" ]; then
  git -C "$here" worktree add --detach "$dir/old-src" "$base" >/dev/null 2>&1
fi
echo "building $base and the current tree (Release) in $dir ..."
live=""
has live && live=bench_live_precision
build "$dir/old-src" "$dir/old" gama_exe korvadimensio3d-batch $live
build "$here" "$newdir" gama_exe korvadimensio3d-batch bench_engine bench_network $live

echo
echo "machine: $(lscpu | sed -n 's/^Model name: *//p'), $(nproc) cores;" \
     "load average $(cut -d' ' -f1-3 /proc/loadavg)"
echo
if has engine; then
echo "== engine ($reps runs each, medians) =="
for which in old new; do
  echo "-- $which"
  bin=$dir/old/bin
  [ "$which" = new ] && bin=$newdir/bin
  # shellcheck disable=SC2086
  bounded "$newdir/bin/bench_engine" --engine "$bin/gama.exe" --repeat "$reps" $sizes |
    grep -v '^load' || :
done
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
if has command; then
echo
echo "== headless command, $points points, end to end ($reps runs each, medians) =="
"$newdir/bin/bench_network" "$points" "$work/c.txt" "$work/m.txt"
covmib=$(awk -v n="$points" 'BEGIN { printf "%.1f", 8 * (3 * n) * (3 * n) / 1048576 }')
for which in old new; do
  : >"$work/times"
  bin=$dir/old/bin
  [ "$which" = new ] && bin=$newdir/bin
  i=0
  while [ $i -lt "$reps" ]; do
    bounded /usr/bin/time -f "%e %M" -o "$work/t" "$bin/korvadimensio3d-batch" \
      "$work/c.txt" "$work/m.txt" >"$work/out.$which" 2>"$work/err.$which" ||
      { echo "$which: the command failed:"; cat "$work/err.$which"; break; }
    cat "$work/t" >>"$work/times"
    i=$((i + 1))
  done
  k=$(( ($(wc -l <"$work/times") + 1) / 2 ))
  [ "$k" -gt 0 ] || continue
  wall=$(cut -d' ' -f1 "$work/times" | sort -n | sed -n "${k}p")
  peak=$(cut -d' ' -f2 "$work/times" | sort -n | sed -n "${k}p")
  awk -v w="$which" -v t="$wall" -v m="$peak" -v cov="$covmib" 'BEGIN {
    printf "%-4s wall %6.2f s   peak %7.1f MiB   covariance %.1f MiB   peak/cov %.2f\n",
           w, t, m / 1024, cov, m / 1024 / cov }'
done
if cmp -s "$work/out.old" "$work/out.new"; then
  echo "printed results: the same"
else
  echo "printed results: DIFFERENT (diff below)"
  diff "$work/out.old" "$work/out.new" | head -20
fi
fi

if has same; then
echo
echo "== same numbers (old against new) =="
bounded "$here/bench/same_numbers.sh" "$dir/old/bin" "$newdir/bin" || :
fi

if [ -n "$live" ]; then
  echo
  echo "== live precision after a one-measurement edit ($reps edits each) =="
  for which in old new; do
    echo "-- $which"
    bin=$dir/old/bin
    [ "$which" = new ] && bin=$newdir/bin
    for n in $livePoints; do
      bounded "$bin/bench_live_precision" "$reps" "$n" | tail -1 || :
    done
  done
fi
echo
echo "load average at the end $(cut -d' ' -f1-3 /proc/loadavg)"
