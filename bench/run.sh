#!/bin/sh
# Packs the corpus with KtbPack, KtaPack and lz4 -12 in one run and prints a table per file and
# in total: sizes, median times over REPS runs, size and time ratios to lz4, peak memory.
# With PLAIN=1 (the default) it also times the packers built with the plain candidate walk,
# the baseline of the fast one, and checks that they write the same bytes.
# Usage: bench/run.sh [REPS]      (from anywhere; builds into build-bench/ at the top)
set -eu
reps=${1:-5}
plain=${PLAIN:-1}
top=$(cd "$(dirname "$0")/.." && pwd)
build=$top/build-bench

if ! command -v lz4 > /dev/null; then
    echo "installing lz4" >&2
    apt-get install -y lz4 > /dev/null
fi
[ -x /usr/bin/time ] || apt-get install -y time > /dev/null

cmake -S "$top" -B "$build" -DCMAKE_BUILD_TYPE=Release -DKT_TESTS=OFF > /dev/null
cmake --build "$build" -j2 --target KtbPack KtaPack ktb_pack_plain kta_pack_plain kt_make_synthetic > /dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
sh "$top/bench/make_corpus.sh" "$work/corpus" "$build/bench/kt_make_synthetic"

# run ONE_NAME DIR CMD...: runs CMD in DIR reps times; prints "median_ms peak_kib".
run() {
    dir=$1
    shift
    times=""
    peak=0
    i=0
    while [ $i -lt "$reps" ]; do
        t0=$(date +%s%N)
        (cd "$dir" && /usr/bin/time -f %M -o "$work/mem" "$@" > /dev/null 2>&1)
        t1=$(date +%s%N)
        times="$times $(( (t1 - t0) / 1000 ))"
        m=$(tail -n 1 "$work/mem")
        [ "$m" -gt "$peak" ] && peak=$m
        i=$((i + 1))
    done
    med=$(printf '%s\n' $times | sort -n | awk '{v[NR]=$1} END {print v[int((NR+1)/2)]}')
    echo "$med $peak"
}

mkdir -p "$work/ktb" "$work/kta" "$work/lz4" "$work/ktb_plain" "$work/kta_plain"
: > "$work/rows"
for f in "$work"/corpus/*; do
    name=$(basename "$f")
    size=$(wc -c < "$f")
    for d in ktb kta lz4 ktb_plain kta_plain; do cp "$f" "$work/$d/$name.bin"; done
    set -- $(run "$work/ktb" "$build/packers/KtbPack" "$name.bin"); ktb_us=$1 ktb_mem=$2
    set -- $(run "$work/kta" "$build/packers/KtaPack" "$name.bin"); kta_us=$1 kta_mem=$2
    set -- $(run "$work/lz4" lz4 -12 -f -q "$name.bin" "$name.lz4"); lz4_us=$1
    ktb_plain_us=0 kta_plain_us=0
    if [ "$plain" = 1 ]; then
        set -- $(run "$work/ktb_plain" "$build/bench/ktb_pack_plain" "$name.bin"); ktb_plain_us=$1
        set -- $(run "$work/kta_plain" "$build/bench/kta_pack_plain" "$name.bin"); kta_plain_us=$1
        cmp -s "$work/ktb/$name.ktb" "$work/ktb_plain/$name.ktb" || echo "DIFFERENT BYTES: $name.ktb" >&2
        cmp -s "$work/kta/$name.kta" "$work/kta_plain/$name.kta" || echo "DIFFERENT BYTES: $name.kta" >&2
    fi
    echo "$name $size $(wc -c < "$work/ktb/$name.ktb") $(wc -c < "$work/kta/$name.kta") \
$(wc -c < "$work/lz4/$name.lz4") $ktb_us $kta_us $lz4_us $ktb_plain_us $kta_plain_us \
$ktb_mem $kta_mem" >> "$work/rows"
done

awk -v plain="$plain" '
function r(a, b) { return b > 0 ? sprintf("%.2f", a / b) : "-" }
function ms(us) { return sprintf("%.1f", us / 1000) }
BEGIN {
    printf "%-24s %6s %6s %6s %6s %8s %8s %8s %6s %6s %6s %6s %7s %7s", "file", "input", "KTB", "KTA", "lz4",
        "KTB ms", "KTA ms", "lz4 ms", "B/lz4", "A/lz4", "tB/lz4", "tA/lz4", "KTB KiB", "KTA KiB"
    if (plain == 1) printf " %9s %9s %6s %6s", "KTBp ms", "KTAp ms", "B gain", "A gain"
    printf "\n"
}
{
    printf "%-24s %6d %6d %6d %6d %8s %8s %8s %6s %6s %6s %6s %7d %7d", $1, $2, $3, $4, $5,
        ms($6), ms($7), ms($8), r($3, $5), r($4, $5), r($6, $8), r($7, $8), $11, $12
    if (plain == 1) printf " %9s %9s %6s %6s", ms($9), ms($10), r($9, $6), r($10, $7)
    printf "\n"
    for (i = 2; i <= 10; i++) s[i] += $i
    if ($11 > m11) m11 = $11
    if ($12 > m12) m12 = $12
}
END {
    printf "%-24s %6d %6d %6d %6d %8s %8s %8s %6s %6s %6s %6s %7d %7d", "total", s[2], s[3], s[4], s[5],
        ms(s[6]), ms(s[7]), ms(s[8]), r(s[3], s[5]), r(s[4], s[5]), r(s[6], s[8]), r(s[7], s[8]), m11, m12
    if (plain == 1) printf " %9s %9s %6s %6s", ms(s[9]), ms(s[10]), r(s[9], s[6]), r(s[10], s[7])
    printf "\n"
}' "$work/rows"
echo "times: median of $reps runs of the whole program, in ms; memory: peak resident KiB; p = plain walk; gain = plain / fast"
