#!/bin/sh
# Prints the size table of one CPU's routines (lib/routines/routine_sizes_CPU.inc): every model
# of the search set specialised by kt_routine_text, assembled, and its bytes counted.
#   routine_sizes.sh CPU KT_ROUTINE_TEXT            the table on standard output
#   routine_sizes.sh CPU KT_ROUTINE_TEXT --check F  exit 0 when F holds that table, 1 when not,
#                                                   77 (skipped) when the assembler is missing
# For the Z80 each routine is assembled by z80asm too, when the machine has it, and must give
# the same bytes as pasmo.
set -eu
cpu=$1
tool=$2
check=${4:-}
case $cpu in
z80) need=pasmo ;;
6502) need=ca65 ;;
*) echo "routine_sizes.sh: unknown CPU $cpu" >&2; exit 2 ;;
esac
if ! command -v $need >/dev/null 2>&1 || { [ $cpu = 6502 ] && ! command -v ld65 >/dev/null 2>&1; }; then
    echo "SKIPPED: $need (or ld65) not found, the routines cannot be assembled" >&2
    exit 77
fi
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT INT TERM

"$tool" --models "$cpu" | while read -r type coding o1 o2; do
    "$tool" "$cpu" "$type" "$coding" "$o1" "$o2" >"$work/r.src"
    if [ $cpu = z80 ]; then
        pasmo "$work/r.src" "$work/r.bin" >/dev/null
        if command -v z80asm >/dev/null 2>&1; then
            z80asm -o "$work/r2.bin" "$work/r.src"
            if ! cmp -s "$work/r.bin" "$work/r2.bin"; then
                echo "routine_sizes.sh: pasmo and z80asm differ on -t$type$coding o$o1 o$o2" >&2
                exit 1
            fi
        fi
    else
        ca65 "$work/r.src" -o "$work/r.o"
        ld65 -C "$here/../depackers/6502/size.cfg" "$work/r.o" -o "$work/r.bin"
    fi
    size=$(wc -c <"$work/r.bin")
    echo "{$type, $coding, $o1, $o2, $size},"
done >"$work/table"

if [ -n "$check" ]; then
    if cmp -s "$work/table" "$check"; then exit 0; fi
    echo "$check differs from the assembled sizes; regenerate it with" >&2
    echo "  tools/routine_sizes.sh $cpu <kt_routine_text> > $check" >&2
    diff "$check" "$work/table" | head -20 >&2 || true
    exit 1
fi
cat "$work/table"
