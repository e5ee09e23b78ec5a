# What both benchmark scripts share, sourced after they set reps and work: lz4 and GNU time
# installed when missing, and the timer of a whole program.

if ! command -v lz4 > /dev/null; then
    echo "installing lz4" >&2
    apt-get install -y lz4 > /dev/null
fi
[ -x /usr/bin/time ] || apt-get install -y time > /dev/null

# run DIR CMD...: runs CMD in DIR reps times, its output kept in $work/last; prints
# "median_us peak_kib" (wall clock, peak resident size).
run() {
    dir=$1
    shift
    times=""
    peak=0
    i=0
    while [ $i -lt "$reps" ]; do
        t0=$(date +%s%N)
        (cd "$dir" && /usr/bin/time -f %M -o "$work/mem" "$@" > "$work/last" 2>&1)
        t1=$(date +%s%N)
        times="$times $(( (t1 - t0) / 1000 ))"
        m=$(tail -n 1 "$work/mem")
        [ "$m" -gt "$peak" ] && peak=$m
        i=$((i + 1))
    done
    med=$(printf '%s\n' $times | sort -n | awk '{v[NR]=$1} END {print v[int((NR+1)/2)]}')
    echo "$med $peak"
}

# run_ms DIR CMD...: as run, the median in milliseconds with one decimal.
run_ms() {
    set -- $(run "$@")
    echo "$(awk -v us="$1" 'BEGIN {printf "%.1f", us / 1000}') $2"
}
