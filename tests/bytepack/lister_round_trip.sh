#!/bin/sh
# Packs the corpus with KtbPack and KtaPack and depacks every file with KtuList -d; each
# depacked file must equal its input.
# Usage: lister_round_trip.sh KTBPACK KTAPACK KTULIST MAKE_CORPUS MAKE_SYNTHETIC
# With KT_RUNNER set (such as wine), the three programs are run through it.
set -eu
run=${KT_RUNNER:-}
ktb=$1 kta=$2 lister=$3 make_corpus=$4 gen=$5
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
sh "$make_corpus" "$work/corpus" "$gen"
failed=0
for variant in ktb kta; do
    mkdir "$work/$variant"
    if [ $variant = ktb ]; then packer=$ktb; else packer=$kta; fi
    for f in "$work"/corpus/*; do
        name=$(basename "$f")
        cp "$f" "$work/$variant/$name.bin"
        (cd "$work/$variant" && $run "$packer" "$name.bin" > /dev/null) || { echo "$variant: $name: packing failed"; failed=1; continue; }
        status=0
        (cd "$work/$variant" && $run "$lister" -d "$name.$variant" > "$work/said" 2>&1) || status=$?
        if ! cmp -s "$f" "$work/$variant/$name.out"; then
            echo "$variant: $name: depacked file differs from the input (KtuList status $status):"
            cat "$work/said"
            failed=1
        fi
    done
done
exit $failed
