#!/bin/sh
# The engine prints nothing and opens no file: none of its libraries calls a function that
# writes to a console or opens, reads or writes a file.
# Usage: engine_rules.sh NM LIBRARY...
set -u
nm=$1
shift
forbidden='^(printf|puts|putchar|fputs|fputc|putc|fprintf|vprintf|vfprintf|perror|fopen|fopen64|freopen|fread|fwrite|fclose|open|open64|openat|creat|read|write|_ZSt4cout|_ZSt4cerr|_ZSt4clog|.*basic_[io]?fstream.*)$'
status=0
for lib in "$@"; do
    found=$("$nm" -u "$lib" | awk 'NF == 2 { print $2 }' | grep -E "$forbidden" | sort -u)
    if [ -n "$found" ]; then
        echo "$(basename "$lib") calls: $(echo $found)"
        status=1
    fi
done
[ "$status" -eq 0 ] && echo "the engine's $# libraries neither print nor open files"
exit "$status"
