#!/bin/sh
# KtuPack on the corpus, with KtbPack and lz4 -12 in the same run: first the whole program on
# one 64 KiB real file (one model and -b, wall-clock medians of REPS runs, peak memory), then
# per file the smallest stream of each compression type (KtuPack -v), the best model, KtbPack's
# and lz4's sizes and the time of -b -v (median of TABLE_REPS runs).
# Usage: bench/ktu_run.sh [REPS [TABLE_REPS]]  (from anywhere; builds into build-bench/ at the top)
set -eu
reps=${1:-3}
table_reps=${2:-1}
top=$(cd "$(dirname "$0")/.." && pwd)
build=$top/build-bench


cmake -S "$top" -B "$build" -DCMAKE_BUILD_TYPE=Release -DKT_TESTS=ON > /dev/null
cmake --build "$build" -j2 --target KtuPack KtbPack kt_make_synthetic > /dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
sh "$top/tools/corpus/make_corpus.sh" "$work/corpus" "$build/tools/corpus/kt_make_synthetic"

. "$top/bench/timing.sh"

mkdir -p "$work/one" "$work/ktu" "$work/ktb" "$work/lz4"
echo "whole program on a 64 KiB real file, wall clock, median of $reps runs:"
printf '%-24s %-22s %9s %8s %8s\n' file run ms "peak KiB" bytes
for name in real_libc real_cmake real_gpl3; do
    [ -f "$work/corpus/$name" ] || continue
    cp "$work/corpus/$name" "$work/one/$name.bin"
    for opt in -t35o4 -t22 -b; do
        set -- $(run_ms "$work/one" "$build/bin/KtuPack" -q -f "$opt" "$name.bin")
        out=$(ls "$work/one/$name"-t*.bin)
        printf '%-24s %-22s %9s %8s %8s\n' "$name" "KtuPack $opt" "$1" "$2" "$(wc -c < "$out")"
        rm -f "$out"
    done
done
echo

: > "$work/rows"
reps=$table_reps
for f in "$work"/corpus/*; do
    name=$(basename "$f")
    size=$(wc -c < "$f")
    for d in ktu ktb lz4; do cp "$f" "$work/$d/$name.bin"; done
    set -- $(run_ms "$work/ktu" "$build/bin/KtuPack" -f -v "$name.bin"); ktu_ms=$1 ktu_mem=$2
    bests=$(awk '/ best: /{printf "%s ", $5}' "$work/last")
    model=$(awk 'NR==1{print $5}' "$work/last")
    packed=$(wc -c < "$(ls "$work/ktu/$name"-t*.bin)")
    rm -f "$work/ktu/$name"-t*.bin
    (cd "$work/ktb" && "$build/bin/KtbPack" "$name.bin" > /dev/null)
    (cd "$work/lz4" && lz4 -12 -f -q "$name.bin" "$name.lz4")
    echo "$name $size $bests $packed $model $(wc -c < "$work/ktb/$name.ktb") \
$(wc -c < "$work/lz4/$name.lz4") $ktu_ms $ktu_mem" >> "$work/rows"
done

awk '
function r(a, b) { return b > 0 ? sprintf("%.2f", a / b) : "-" }
BEGIN {
    printf "%-24s %6s %6s %6s %6s %6s %6s %6s %6s %-11s %6s %6s %6s %6s %8s %7s\n", "file", "input",
        "KTA", "KTB", "ZX7", "BLK", "TS1", "KTR", "-b", "model", "KtbPk", "lz4", "b/KtbP", "b/lz4",
        "-b ms", "KiB"
}
{
    printf "%-24s %6d %6d %6d %6d %6d %6d %6d %6d %-11s %6d %6d %6s %6s %8s %7d\n", $1, $2, $3, $4,
        $5, $6, $7, $8, $9, $10, $11, $12, r($9, $11), r($9, $12), $13, $14
    for (i = 2; i <= 9; i++) s[i] += $i
    s[11] += $11; s[12] += $12; s[13] += $13
    if ($14 > m14) m14 = $14
}
END {
    printf "%-24s %6d %6d %6d %6d %6d %6d %6d %6d %-11s %6d %6d %6s %6s %8.1f %7d\n", "total", s[2],
        s[3], s[4], s[5], s[6], s[7], s[8], s[9], "", s[11], s[12], r(s[9], s[11]), r(s[9], s[12]),
        s[13], m14
}' "$work/rows"
echo "KTA..KTR: smallest stream of each compression type over the search set; -b: the smallest"
echo "of all (what KtuPack writes); -b ms: whole program with -v, median of $reps; KiB: peak resident"
echo "b/KtbP, b/lz4: the -b size over KtbPack's and lz4 -12's"
