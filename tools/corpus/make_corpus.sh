#!/bin/sh
# Builds the packers' corpus in DIR: real files shipped with a Debian 12 system that has cmake
# and g++ (cut to 65536 bytes; missing ones are skipped), then the synthetic cases written by
# make_synthetic. The same files every time.
# Usage: make_corpus.sh DIR MAKE_SYNTHETIC
set -eu
dir=$1
gen=$2
mkdir -p "$dir"
rm -f "$dir"/real_* "$dir"/syn_*

# name in the corpus, then path
while read -r name path; do
    [ -f "$path" ] || continue
    head -c 65536 "$path" > "$dir/real_$name"
done <<'LIST'
services /etc/services
gpl3 /usr/share/common-licenses/GPL-3
stdio_h /usr/include/stdio.h
find_boost /usr/share/cmake-3.25/Modules/FindBoost.cmake
debconf_pm /usr/share/perl5/Debconf/Config.pm
ls /bin/ls
gzip /usr/bin/gzip
cmake /usr/bin/cmake
libc /usr/lib/x86_64-linux-gnu/libc.so.6
libstdcxx /usr/lib/x86_64-linux-gnu/libstdc++.so.6
dejavu_sans /usr/share/fonts/truetype/dejavu/DejaVuSans.ttf
logo_png /usr/share/cmake-3.25/Templates/Windows/Logo.png
splash_png /usr/share/cmake-3.25/Templates/Windows/SplashScreen.png
prague_tz /usr/share/zoneinfo/Europe/Prague
cmake_changelog_gz /usr/share/doc/cmake/changelog.Debian.gz
gcc_changelog_gz /usr/share/doc/gcc-12/changelog.Debian.gz
gzip_news_gz /usr/share/doc/gzip/NEWS.gz
LIST

"$gen" "$dir"
