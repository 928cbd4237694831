#!/usr/bin/env bash
# Builds the benchmarks and runs them at several sizes, then prints one table:
# each operation's time beside its floor (the bare work on the same files, in
# the same run), their ratio, and the growth of each fitted over the sizes
# (time ~ N^k, least squares on the logarithms). The machine may be shared and
# busy: only the ratios and the growth hold from run to run.
#   ./scripts/bench.sh            aircraft folders of 500 to 8,000 folders,
#                                 categories of 1,000 to 100,000 entries
#   ./scripts/bench.sh --large    also 32,000 folders (about 2.8 GB of files),
#                                 and the program's peak memory after their scan
# Every tree is generated under a temporary folder and removed after.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
folders="500 1000 2000 8000"
window_args=()
if [[ "${1:-}" == "--large" ]]; then
  folders="$folders 32000"
  window_args=(--folders=32000)  # the program's peak memory after a scan of 32,000 folders
fi
entries="1000 10000 100000"
categories="1,100,1000"

"$here/scripts/build.sh" --target bench_scan bench_categories bench_window >/dev/null
rows=$(mktemp)
trap 'rm -f "$rows"' EXIT
echo "scan: $folders folders; categories: $entries entries with $categories categories" >&2
"$here/build/bench_scan" $folders | tee -a "$rows" >&2
"$here/build/bench_categories" --categories "$categories" $entries | tee -a "$rows" >&2

awk -F'\t' '
  function fit(key,    i, n, sx, sy, sxx, sxy, x, y) {
    n = count[key]; if (n < 2) return "";
    for (i = 1; i <= n; i++) {
      x = log(size[key, i]); y = log(value[key, i]);
      sx += x; sy += y; sxx += x * x; sxy += x * y;
    }
    return sprintf("N^%.2f", (n * sxy - sx * sy) / (n * sxx - sx * sx));
  }
  $1 == "ROW" {
    key = $2 SUBSEP $3
    if (!(key in count)) order[++series] = key
    i = ++count[key]; size[key, i] = $4; value[key, i] = $5; ms[key, i] = $5; floor[key, i] = $6
    fkey = key SUBSEP "floor"; count[fkey] = i; size[fkey, i] = $4; value[fkey, i] = $6
  }
  $1 == "MEM" { mem[++mems] = sprintf("| %s | %s MiB | %s MiB |", $2, $3, $4) }
  END {
    print ""
    print "| work | categories | size | time | floor | ratio | growth (floor) |"
    print "| --- | ---: | ---: | ---: | ---: | ---: | --- |"
    for (s = 1; s <= series; s++) {
      key = order[s]; split(key, part, SUBSEP)
      growth = fit(key) " (" fit(key SUBSEP "floor") ")"
      for (i = 1; i <= count[key]; i++)
        printf("| %s | %s | %s | %.2f ms | %.2f ms | %.2f | %s |\n", part[1] == "scan" ? "scan of N folders" : part[1],
               part[1] == "scan" ? "" : part[2], size[key, i], ms[key, i], floor[key, i],
               ms[key, i] / floor[key, i], i == count[key] ? growth : "")
    }
    if (mems) {
      print ""
      print "| folders | heap in use after a scan | texts kept |"
      print "| ---: | ---: | ---: |"
      for (m = 1; m <= mems; m++) print mem[m]
    }
  }' "$rows"

echo
echo "== bench_window (the real window, on a virtual display of its own)"
xvfb-run -a -s "-screen 0 1280x1024x24" "$here/build/bench_window" "${window_args[@]}"
