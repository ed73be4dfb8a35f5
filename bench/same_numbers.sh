#!/bin/sh
# Same numbers: runs the headless command of two builds (the code as it was
# and the current one) on the bundled sample network and on a generated
# 300-point network, in Sc/Svp modes 0, 1 and 2, keeping the run files, and
# compares what each run leaves:
#   - the engine document (network.gfk), byte for byte;
#   - the printed results (standard output, without the results reader's
#     progress lines "Reading file: N"), the results table (--table) and the
#     covariance matrix (--cov), byte for byte;
#   - the engine's results (network.xml) and observation table
#     (network.obs.csv), byte for byte;
#   - the protocol (network.txt): every line that holds a figure, byte for
#     byte (lines naming the run itself — time, program, threads, kernels —
#     are left out).
# Prints one line per file and network, and "DIFFERENT" with the first
# differing lines where they differ (for the covariance files the largest
# difference of an entry relative to the largest entry); exits 1 when
# anything differs.
#
#   bench/same_numbers.sh OLD_BIN_DIR NEW_BIN_DIR
#
# compare.sh calls it with its two Release builds; NEW_BIN_DIR must hold
# bench_network too.
set -eu
old=$1
new=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$new/bench_network" 300 "$work/g300_coords.txt" "$work/g300_meas.txt"
cp "$new/shaft_coords.txt" "$new/shaft_meas.txt" "$work/"

# Lines of a protocol that describe the run rather than the network.
run_lines='^ *(Date|Time|Started|Finished|Program|Engine|Threads|Kernels|Input|Output|Run|Version)'

status=0
same() {  # LABEL FILE_OLD FILE_NEW
  if cmp -s "$2" "$3"; then
    echo "  same       $1"
  else
    echo "  DIFFERENT  $1"
    diff "$2" "$3" | head -6 | cut -c1-160 | sed 's/^/      /'
    status=1
  fi
}
# The numbers of two files of the same layout, side by side: the largest
# difference relative to the largest number, and how many differ.
numbers() {  # LABEL FILE_OLD FILE_NEW
  tr -s ' \t\r' '\n\n\n' <"$2" | grep -E '^-?[0-9]' >"$work/a" || :
  tr -s ' \t\r' '\n\n\n' <"$3" | grep -E '^-?[0-9]' >"$work/b" || :
  paste "$work/a" "$work/b" | awk -v l="$1" '
    { a = $1 + 0; b = $2 + 0; d = a - b; if (d < 0) d = -d; if (d > dm) dm = d
      m = a < 0 ? -a : a; if (m > big) big = m; if ($1 != $2) n++; t++ }
    END { printf "      %s: %d of %d numbers differ, largest difference %.1e of the largest number\n",
          l, n, t, (big > 0 ? dm / big : 0) }'
}

for net in shaft g300; do
  for mode in 0 1 2; do
    echo "$net, mode $mode:"
    for which in old new; do
      d="$work/$which-$net-$mode"
      mkdir -p "$d/run"
      bin=$old
      [ "$which" = new ] && bin=$new
      "$bin/korvadimensio3d-batch" --mode "$mode" --workdir "$d/run" --table "$d/table.txt" \
        --cov "$d/cov.txt" "$work/${net}_coords.txt" "$work/${net}_meas.txt" \
        >"$d/out.txt" 2>"$d/err.txt" || echo "  ($which: exit $?)"
      grep -Ev "$run_lines" "$d/run/network.txt" >"$d/protocol.txt" 2>/dev/null || :
      grep -v '^Reading file: ' "$d/out.txt" >"$d/printed.txt" || :
    done
    o="$work/old-$net-$mode" n="$work/new-$net-$mode"
    same "engine document" "$o/run/network.gfk" "$n/run/network.gfk"
    same "printed results" "$o/printed.txt" "$n/printed.txt"
    same "results table" "$o/table.txt" "$n/table.txt"
    cmp -s "$o/cov.txt" "$n/cov.txt" || numbers "covariance matrix" "$o/cov.txt" "$n/cov.txt"
    same "covariance matrix" "$o/cov.txt" "$n/cov.txt"
    same "engine results" "$o/run/network.xml" "$n/run/network.xml"
    if [ -f "$o/run/network.obs.csv" ]; then
      same "observation table" "$o/run/network.obs.csv" "$n/run/network.obs.csv"
    fi
    same "protocol figures" "$o/protocol.txt" "$n/protocol.txt"
  done
done
exit $status
