#!/bin/sh
# Packs the corpus with KtbPack, KtaPack and lz4 -12 in one run and prints a table per file and
# in total: sizes, median times over REPS runs of each program, size and time ratios to lz4,
# peak memory. Then times the packing phases in-process with the fast walk against the plain
# walk (processor time, median of REPS) and checks that both write the same bytes; last the
# hard family of the walk (make_synthetic --family), each file against the plain walk and
# against the fast walk's median over the corpus files of 32 KiB and more, in the same run.
# Usage: bench/run.sh [REPS]      (from anywhere; builds into build-bench/ at the top)
set -eu
reps=${1:-5}
top=$(cd "$(dirname "$0")/.." && pwd)
build=$top/build-bench


cmake -S "$top" -B "$build" -DCMAKE_BUILD_TYPE=Release -DKT_TESTS=ON > /dev/null
cmake --build "$build" -j2 --target KtbPack KtaPack kt_pack_timer kt_make_synthetic > /dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
sh "$top/tools/corpus/make_corpus.sh" "$work/corpus" "$build/tools/corpus/kt_make_synthetic"
mkdir -p "$work/family"
"$build/tools/corpus/kt_make_synthetic" --family "$work/family"

. "$top/bench/timing.sh"

mkdir -p "$work/ktb" "$work/kta" "$work/lz4"
: > "$work/rows"
for f in "$work"/corpus/*; do
    name=$(basename "$f")
    size=$(wc -c < "$f")
    for d in ktb kta lz4; do cp "$f" "$work/$d/$name.bin"; done
    set -- $(run "$work/ktb" "$build/bin/KtbPack" "$name.bin"); ktb_us=$1 ktb_mem=$2
    set -- $(run "$work/kta" "$build/bin/KtaPack" "$name.bin"); kta_us=$1 kta_mem=$2
    set -- $(run "$work/lz4" lz4 -12 -f -q "$name.bin" "$name.lz4"); lz4_us=$1
    echo "$name $size $(wc -c < "$work/ktb/$name.ktb") $(wc -c < "$work/kta/$name.kta") \
$(wc -c < "$work/lz4/$name.lz4") $ktb_us $kta_us $lz4_us $ktb_mem $kta_mem" >> "$work/rows"
done

awk '
function r(a, b) { return b > 0 ? sprintf("%.2f", a / b) : "-" }
function ms(us) { return sprintf("%.1f", us / 1000) }
BEGIN {
    printf "%-24s %6s %6s %6s %6s %8s %8s %8s %6s %6s %6s %6s %7s %7s", "file", "input", "KTB", "KTA", "lz4",
        "KTB ms", "KTA ms", "lz4 ms", "B/lz4", "A/lz4", "tB/lz4", "tA/lz4", "KTB KiB", "KTA KiB"
    printf "\n"
}
{
    printf "%-24s %6d %6d %6d %6d %8s %8s %8s %6s %6s %6s %6s %7d %7d", $1, $2, $3, $4, $5,
        ms($6), ms($7), ms($8), r($3, $5), r($4, $5), r($6, $8), r($7, $8), $9, $10
    printf "\n"
    for (i = 2; i <= 8; i++) s[i] += $i
    if ($9 > m9) m9 = $9
    if ($10 > m10) m10 = $10
}
END {
    printf "%-24s %6d %6d %6d %6d %8s %8s %8s %6s %6s %6s %6s %7d %7d", "total", s[2], s[3], s[4], s[5],
        ms(s[6]), ms(s[7]), ms(s[8]), r(s[3], s[5]), r(s[4], s[5]), r(s[6], s[8]), r(s[7], s[8]), m9, m10
    printf "\n"
}' "$work/rows"
echo "times: median of $reps runs of the whole program (wall clock, ms); memory: peak resident KiB"
echo
echo "packing phases in-process, processor time in microseconds, median of $reps:"
"$build/bench/kt_pack_timer" "$reps" "$work"/corpus/* -- "$work"/family/*
