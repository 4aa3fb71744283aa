#!/usr/bin/env bash
# quenby-strip against tr and sed: whole processes on the same file, in one run.
#
#   bench/strip_bench.sh [BUILD_DIR] [MEGABYTES]     (defaults: build, 200)
#   bench/strip_bench.sh --memory [BUILD_DIR] [GIGABYTES]   (default: 2)
#   bench/strip_bench.sh --matching [BUILD_DIR] [KIBIBYTES]   (default: 1024)
#
# Timing: an English-like text of MEGABYTES (80-character lines, a few
# accented words and euro signs) is written to a temporary folder under /tmp
# and removed at the end. Two tasks, each checked to give the same bytes:
#   vowels:  quenby-strip (its defaults)  versus  tr -d 'AEIOUYaeiouy'
#   string:  quenby-strip --strip=the --replace=X --ignore-case --no-vowels
#            versus  sed 's/the/X/gI'
# tr and sed run in the C locale, byte by byte, their fastest. Each command
# runs three times, reading the file and writing to /dev/null; the best wall
# time and the best processor time count. Printed: seconds, MB/s, and the
# ratios tr/quenby-strip and sed/quenby-strip of both times (above 1:
# quenby-strip is faster).
#
# Memory: GIGABYTES of the same text, made on the fly and piped through
# quenby-strip (nothing is stored), with the strip string and with the
# defaults; prints the largest resident set size that /usr/bin/time saw, and
# checks the defaults' whole output against tr's.
#
# Matching: KIBIBYTES of 'a' and nothing else, stripped of 'a' x 20,000 then
# 'b' (which a matcher going character by character compares 20,000 deep at
# every position) and of "ab", each with --no-vowels so that the text comes
# out whole (checked); read whole (1 MiB at a time) and in 4 KiB pieces
# (--chunk-size=4096), so that the 20,000 characters span many pieces. Best
# wall and processor time of three runs each, and each long string's time
# over "ab"'s.
set -euo pipefail

memory=0
matching=0
if [[ ${1:-} == --memory ]]; then
    memory=1
    shift
elif [[ ${1:-} == --matching ]]; then
    matching=1
    shift
fi
build=${1:-build}
strip="$build/quenby-strip"
[[ -x $strip ]] || { echo "no $strip: build it first (cmake --build $build --target quenby-strip)" >&2; exit 1; }

work=$(mktemp -d /tmp/quenby-strip-bench.XXXXXX)
trap 'rm -rf "$work"' EXIT

# The best wall time and the best processor time (user + system) of three
# runs, in seconds, and the largest resident set size in kB: "WALL CPU RSS".
# Other work on the machine slows the wall time more than the processor time.
best() {
    local wall="" cpu="" rss=0 w u s m
    for _ in 1 2 3; do
        /usr/bin/time -f '%e %U %S %M' -o "$work/time" "$@" < "$file" > /dev/null
        read -r w u s m < "$work/time"
        if [[ -z $wall ]] || (( $(echo "$w < $wall" | bc -l) )); then wall=$w; fi
        if [[ -z $cpu ]] || (( $(echo "$u + $s < $cpu" | bc -l) )); then cpu=$(echo "$u + $s" | bc -l); fi
        (( m > rss )) && rss=$m
    done
    echo "$wall $cpu $rss"
}

if (( matching )); then
    kibibytes=${2:-1024}
    file="$work/a.txt"
    head -c $(( kibibytes * 1024 )) /dev/zero | tr '\0' a > "$file"
    long=$(head -c 20000 /dev/zero | tr '\0' a)b
    echo "quenby-strip finding a strip string in $kibibytes KiB of 'a' (best of 3 runs each)"
    printf '  %-48s %8s %8s   %s\n' "" "wall" "cpu" "long / \"ab\" (wall, cpu)"
    for chunk in 1048576 4096; do
        for string in ab "$long"; do
            if ! cmp -s "$file" <("$strip" --no-vowels --strip="$string" --replace=- \
                                   --chunk-size="$chunk" < "$file"); then
                echo "--strip=${string:0:8}...: the output differs from the input" >&2
                exit 1
            fi
            read -r wall cpu _ <<< "$(best "$strip" --no-vowels --strip="$string" --replace=- \
                                      --chunk-size="$chunk")"
            if [[ $string == ab ]]; then
                name="\"ab\""
                plain_wall=$wall plain_cpu=$cpu
                ratios=""
            else
                name="'a' x 20000 then 'b'"
                ratios=$(printf '%.2f, %.2f' "$(echo "$wall / $plain_wall" | bc -l)" \
                         "$(echo "$cpu / $plain_cpu" | bc -l)")
            fi
            printf '  %-48s %6.2f s %6.2f s   %s\n' "$name, pieces of $chunk bytes" "$wall" "$cpu" \
                "$ratios"
        done
    done
    exit 0
fi

# About 4 MB of words; longer texts repeat it.
awk 'BEGIN {
    srand(20260607);
    n = split("the of and to in is was that for it with as his on be at by had not are " \
              "but from or have an they which one you were her all she there would their we " \
              "him been has when who will more no if out so said what up its about into than " \
              "them can only other new some could time these two may then do first any my now " \
              "such like our over man me even most made after also did many before must through " \
              "years where much your way well down should because each just those people how " \
              "too little state good very make world still own see men work long get here " \
              "between both life being under never day same another know while last might us " \
              "great old year off come since against go came right used take three café naïve " \
              "THE The €5 Yellow yes Young eye", w, " ");
    line = "";
    for (bytes = 0; bytes < 4000000;) {
        word = w[int(rand() * n) + 1];
        if (length(line) + length(word) + 1 > 80) {
            print line; bytes += length(line) + 1; line = word;
        } else {
            line = line == "" ? word : line " " word;
        }
    }
}' > "$work/block.txt"

if (( memory )); then
    gigabytes=${2:-2}
    bytes=$(( gigabytes * 1024 * 1024 * 1024 ))
    text() { while cat "$work/block.txt"; do :; done 2>/dev/null | head -c "$bytes"; }
    echo "quenby-strip memory, $gigabytes GiB piped through (largest resident set size)"
    for args in "--strip=the --replace=X --ignore-case --no-vowels" ""; do
        # shellcheck disable=SC2086
        text | /usr/bin/time -f '%M' -o "$work/rss" "$strip" $args | md5sum > "$work/sum"
        printf '  %-64s %6.1f MB\n' "quenby-strip ${args:-(defaults)}" \
            "$(echo "$(cat "$work/rss") / 1024" | bc -l)"
    done
    # The defaults' output, all of it, against tr's.
    if [[ $(text | LC_ALL=C tr -d 'AEIOUYaeiouy' | md5sum) != $(cat "$work/sum") ]]; then
        echo "the output differs from tr's" >&2
        exit 1
    fi
    echo "  (the defaults' output is the same as tr -d 'AEIOUYaeiouy' gives)"
    exit 0
fi

megabytes=${2:-200}
file="$work/text.txt"
blocks=$(( (megabytes * 1000000 + 3999999) / 4000000 ))
for (( i = 0; i < blocks; i++ )); do cat "$work/block.txt"; done | head -c $(( megabytes * 1000000 )) > "$file"
size=$(stat -c %s "$file")

check() { # check NAME -- CMD1... -- CMD2...
    local name=$1; shift; shift
    local first=() second=()
    while [[ $1 != -- ]]; do first+=("$1"); shift; done; shift
    second=("$@")
    if ! cmp -s <("${first[@]}" < "$file") <(LC_ALL=C "${second[@]}" < "$file"); then
        echo "$name: the outputs differ" >&2
        exit 1
    fi
}

check vowels -- "$strip" -- tr -d 'AEIOUYaeiouy'
check string -- "$strip" --strip=the --replace=X --ignore-case --no-vowels -- sed 's/the/X/gI'

read -r q_vowels qc_vowels qm_vowels <<< "$(best "$strip")"
read -r t_vowels tc_vowels tm_vowels <<< "$(LC_ALL=C best tr -d 'AEIOUYaeiouy')"
read -r q_string qc_string qm_string <<< "$(best "$strip" --strip=the --replace=X --ignore-case --no-vowels)"
read -r s_string sc_string sm_string <<< "$(LC_ALL=C best sed 's/the/X/gI')"

row() { # name wall cpu rss
    printf '  %-64s %6.2f s %7.1f MB/s %6.2f s %6.1f MB\n' "$1" "$2" \
        "$(echo "$size / $2 / 1000000" | bc -l)" "$3" "$(echo "$4 / 1024" | bc -l)"
}
ratio() { echo "$1 / $2" | bc -l; }
echo "quenby-strip against tr and sed on $(echo "$size / 1000000" | bc) MB (best of 3 runs each)"
printf '  %-64s %8s %12s %8s %9s\n' "" "wall" "" "cpu" "memory"
row "quenby-strip  (vowels with Y: its defaults)" "$q_vowels" "$qc_vowels" "$qm_vowels"
row "tr -d 'AEIOUYaeiouy'" "$t_vowels" "$tc_vowels" "$tm_vowels"
row "quenby-strip --strip=the --replace=X --ignore-case --no-vowels" "$q_string" "$qc_string" "$qm_string"
row "sed 's/the/X/gI'" "$s_string" "$sc_string" "$sm_string"
printf '  ratio tr / quenby-strip (vowels):  wall %5.2f  cpu %5.2f   (target: at least 1)\n' \
    "$(ratio "$t_vowels" "$q_vowels")" "$(ratio "$tc_vowels" "$qc_vowels")"
printf '  ratio sed / quenby-strip (string): wall %5.2f  cpu %5.2f   (target: at least 5)\n' \
    "$(ratio "$s_string" "$q_string")" "$(ratio "$sc_string" "$qc_string")"
