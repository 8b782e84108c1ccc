#!/usr/bin/env bash
# Whole-corpus benchmark of segdur2 (and segdur1 when it is built).
#
# Generates a large corpus with examples/make_corpus.py in a temporary folder,
# runs each program on it and prints its wall time, its peak memory and the
# ratio of its wall time to the floor: the time `cat` takes to read every
# labelled file of the corpus to /dev/null, measured in the same run. The same
# on the first tenth of the label list shows whether the cost is linear.
# With --soak it also runs a corpus of 100 000 files and compares the peak
# memory with that of the smaller run. With --against OTHER_BUILD_DIR it
# times each program of both builds on the full corpus, the two runs
# alternated, and prints the ratio of the best times. With --instructions it
# counts the instructions each program executes on the full corpus under
# valgrind's callgrind, the clock frozen so that every run draws the same
# split (with --against: both builds, and their ratio).
#
# usage: bench/corpus_bench.sh BUILD_DIR [--files N] [--repeat R] [--soak]
#                                        [--soak-files N] [--keep]
#                                        [--against OTHER_BUILD_DIR] [--instructions]
set -euo pipefail

usage() {
  echo "usage: $0 BUILD_DIR [--files N] [--repeat R] [--soak] [--soak-files N] [--keep]" \
    "[--against OTHER_BUILD_DIR] [--instructions]" >&2
  exit 1
}

[[ $# -ge 1 ]] || usage
build_dir=$(cd "$1" && pwd) || usage
shift
files=20000
soak_files=100000
repeat=3
soak=0
keep=0
against=""
instructions=0
while [[ $# -gt 0 ]]; do
  case "$1" in
    --files) files=$2; shift 2 ;;
    --soak-files) soak_files=$2; shift 2 ;;
    --repeat) repeat=$2; shift 2 ;;
    --soak) soak=1; shift ;;
    --keep) keep=1; shift ;;
    --against) against=$(cd "$2" && pwd) || usage; shift 2 ;;
    --instructions) instructions=1; shift ;;
    *) usage ;;
  esac
done
[[ $files -ge 10 && $repeat -ge 1 ]] || usage

# python3 runs make_corpus.py; GNU time (-v) gives the peak memory.
missing=""
command -v python3 >/dev/null 2>&1 || missing="python3 (Debian package python3)"
if [[ ! -x /usr/bin/time ]]; then
  missing="${missing:+$missing and }/usr/bin/time (Debian package time)"
fi
if [[ $instructions -eq 1 ]]; then
  command -v valgrind >/dev/null 2>&1 || missing="${missing:+$missing and }valgrind (Debian package valgrind)"
  command -v faketime >/dev/null 2>&1 || missing="${missing:+$missing and }faketime (Debian package faketime)"
fi
if [[ -n $missing ]]; then
  echo "corpus_bench.sh: needs $missing; install and run again" >&2
  exit 1
fi

script_dir=$(cd "$(dirname "$0")" && pwd)
make_corpus="$script_dir/../examples/make_corpus.py"
programs=()
for name in segdur2 segdur1; do
  [[ -x "$build_dir/programs/$name" ]] && programs+=("$build_dir/programs/$name")
done
if [[ ${#programs[@]} -eq 0 ]]; then
  echo "no segdur2 or segdur1 under $build_dir/programs; build them first" >&2
  exit 1
fi

work=$(mktemp -d /tmp/segdur_corpus_bench.XXXXXX)
if [[ $keep -eq 0 ]]; then
  trap 'rm -rf "$work"' EXIT
else
  echo "work folder kept: $work"
fi

# generate DIR FILES SEED: a corpus of FILES labelled files of 5 to 12 words
# and an 8000-entry hepsi.txt in DIR.
generate() {
  mkdir -p "$1"
  python3 "$make_corpus" --out "$1" --files "$2" --seed "$3" --min-words 5 --max-words 12 \
    --per-dir 1000 --list-size 8000 2>/dev/null
}

now() { date +%s.%N; }
elapsed() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.4f", b - a }'; }
min_of() { printf '%s\n' "$@" | sort -g | head -n 1; }
max_of() { printf '%s\n' "$@" | sort -g | tail -n 1; }
div() { awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.3f", a / b; else print "inf" }'; }

# floor DIR LIST [VAR=VALUE ...]: best of $repeat + 2 times to cat every file
# of LIST (paths relative to DIR) to /dev/null, cat run with the given
# environment.
floor() {
  local dir=$1 list=$2 times=() t0 t1 r
  shift 2
  (cd "$dir" && env "$@" xargs cat < "$list" > /dev/null)  # warm the page cache
  for ((r = 0; r < repeat + 2; r++)); do
    t0=$(now)
    (cd "$dir" && env "$@" xargs cat < "$list" > /dev/null)
    t1=$(now)
    times+=("$(elapsed "$t0" "$t1")")
  done
  min_of "${times[@]}"
}

# cat frees and maps its read buffer again for every file; where unmapping is
# slow (virtual machines) that, not the reading, dominates plain cat. The
# floor is cat with its buffer kept off mmap; plain cat is shown beside it.
keep_buffer=(MALLOC_MMAP_THRESHOLD_=4194304 MALLOC_TRIM_THRESHOLD_=8388608)

# run PROGRAM DIR LIST: runs PROGRAM in DIR on LIST $repeat times, the second
# argument fine.txt existing (empty) at every run; sets run_wall (best wall
# time, s) and run_peak (largest peak resident set, MB).
run() {
  local walls=() peaks=() t0 t1 status r
  for ((r = 0; r < repeat; r++)); do
    rm -f "$2/performance_triphone.txt"
    # An existing output file: the programs then compare it with every input.
    : > "$2/fine.txt"
    t0=$(now)
    set +e
    (cd "$2" && /usr/bin/time -v -o "$work/time.txt" "$1" "$3" fine.txt > "$work/run.log" 2>&1)
    status=$?
    set -e
    t1=$(now)
    if [[ $status -ne 0 || ! -s "$2/performance_triphone.txt" ]]; then
      echo "$(basename "$1") failed on $2/$3 (exit status $status); last lines of its output:" >&2
      tail -n 5 "$work/run.log" >&2
      exit 1
    fi
    walls+=("$(elapsed "$t0" "$t1")")
    peaks+=("$(awk '/Maximum resident set size/ { printf "%.1f", $NF / 1024 }' "$work/time.txt")")
  done
  run_wall=$(min_of "${walls[@]}")
  run_peak=$(max_of "${peaks[@]}")
}

# The clock of the counted runs: the same second, so the same split, in every build.
frozen_clock='2026-01-01 00:00:00'

# count PROGRAM DIR LIST: sets counted to the instructions PROGRAM executes
# on LIST in DIR under callgrind, with the clock frozen and the second
# argument fine.txt existing (empty), as in run.
count() {
  local status
  rm -f "$2/performance_triphone.txt"
  : > "$2/fine.txt"
  set +e
  (cd "$2" && faketime -f "$frozen_clock" valgrind --tool=callgrind \
     --callgrind-out-file="$work/callgrind.out" "$1" "$3" fine.txt > "$work/run.log" 2>&1)
  status=$?
  set -e
  if [[ $status -ne 0 || ! -s "$2/performance_triphone.txt" ]]; then
    echo "$(basename "$1") failed under callgrind on $2/$3 (exit status $status); last lines:" >&2
    tail -n 5 "$work/run.log" >&2
    exit 1
  fi
  counted=$(awk '/^summary:/ { print $2 }' "$work/callgrind.out")
}

corpus="$work/corpus"
generate "$corpus" "$files" 20
head -n $((files / 10)) "$corpus/labels.txt" > "$corpus/labels_tenth.txt"
bytes=$(cd "$corpus" && env "${keep_buffer[@]}" xargs cat < labels.txt | wc -c)
segments=$(cd "$corpus" && env "${keep_buffer[@]}" xargs cat < labels.txt | grep -c '^[0-9]')
echo "corpus: $files labelled files of 5 to 12 words, $segments segments, $bytes bytes;" \
  "hepsi.txt of $(($(wc -l < "$corpus/hepsi.txt") / 3)) entries; best of $repeat runs"

floor_full=$(floor "$corpus" labels.txt "${keep_buffer[@]}")
floor_tenth=$(floor "$corpus" labels_tenth.txt "${keep_buffer[@]}")
plain_full=$(floor "$corpus" labels.txt)
plain_tenth=$(floor "$corpus" labels_tenth.txt)
printf '%-8s %-6s %8s files  wall %8.3f s  (the floor)\n' "cat" "full" "$files" "$floor_full"
printf '%-8s %-6s %8s files  wall %8.3f s  (the floor)\n' "cat" "tenth" "$((files / 10))" "$floor_tenth"
printf '%-8s %-6s %8s files  wall %8.3f s  (plain cat)\n' "cat" "full" "$files" "$plain_full"
printf '%-8s %-6s %8s files  wall %8.3f s  (plain cat)\n' "cat" "tenth" "$((files / 10))" "$plain_tenth"

declare -A full_peak
for program in "${programs[@]}"; do
  name=$(basename "$program")
  run "$program" "$corpus" labels.txt
  full_wall=$run_wall
  full_peak[$name]=$run_peak
  printf '%-8s %-6s %8s files  wall %8.3f s  peak %7.1f MB  ratio to floor %7.2f (to plain cat %.2f)\n' \
    "$name" "full" "$files" "$full_wall" "$run_peak" "$(div "$full_wall" "$floor_full")" \
    "$(div "$full_wall" "$plain_full")"
  run "$program" "$corpus" labels_tenth.txt
  printf '%-8s %-6s %8s files  wall %8.3f s  peak %7.1f MB  ratio to floor %7.2f (to plain cat %.2f)\n' \
    "$name" "tenth" "$((files / 10))" "$run_wall" "$run_peak" "$(div "$run_wall" "$floor_tenth")" \
    "$(div "$run_wall" "$plain_tenth")"
  printf '%-8s tenth / full wall time: %.3f (linear: 0.100)\n' \
    "$name" "$(div "$run_wall" "$full_wall")"
  # The two runs fit a line: a cost per file and a fixed cost at no file.
  awk -v name="$name" -v n="$files" -v full="$full_wall" -v tenth="$run_wall" -v fl="$floor_full" \
    'BEGIN { per = (full - tenth) / (n - int(n / 10)); fixed = tenth - per * int(n / 10);
             printf "%-8s per file %.1f us (cat %.1f us, ratio %.2f), fixed cost %.3f s\n",
                    name, per * 1e6, fl / n * 1e6, per / (fl / n), fixed }'
done

# Both builds' program alternated, $repeat runs each; best wall times.
if [[ -n $against ]]; then
  for program in "${programs[@]}"; do
    name=$(basename "$program")
    other="$against/programs/$name"
    [[ -x $other ]] || { echo "no $name under $against/programs" >&2; exit 1; }
    this_walls=() other_walls=()
    for ((a = 0; a < repeat; a++)); do
      saved_repeat=$repeat
      repeat=1
      run "$program" "$corpus" labels.txt
      this_walls+=("$run_wall")
      run "$other" "$corpus" labels.txt
      other_walls+=("$run_wall")
      repeat=$saved_repeat
    done
    this_best=$(min_of "${this_walls[@]}")
    other_best=$(min_of "${other_walls[@]}")
    printf '%-8s alternated %s times: this build %.3f s (%s), other build %.3f s (%s), ratio %s\n' \
      "$name" "$repeat" "$this_best" "${this_walls[*]}" "$other_best" "${other_walls[*]}" \
      "$(div "$this_best" "$other_best")"
  done
fi

# Each program's instructions, and the other build's beside them.
if [[ $instructions -eq 1 ]]; then
  for program in "${programs[@]}"; do
    name=$(basename "$program")
    count "$program" "$corpus" labels.txt
    this_count=$counted
    if [[ -z $against ]]; then
      printf '%-8s instructions (clock frozen): %s\n' "$name" "$this_count"
      continue
    fi
    other="$against/programs/$name"
    [[ -x $other ]] || { echo "no $name under $against/programs" >&2; exit 1; }
    count "$other" "$corpus" labels.txt
    printf '%-8s instructions (clock frozen): this build %s, other build %s, ratio %s\n' \
      "$name" "$this_count" "$counted" "$(div "$this_count" "$counted")"
  done
fi

if [[ $soak -eq 1 ]]; then
  soak_corpus="$work/soak"
  generate "$soak_corpus" "$soak_files" 21
  saved_repeat=$repeat
  repeat=1
  soak_floor=$(floor "$soak_corpus" labels.txt "${keep_buffer[@]}")
  printf '%-8s %-6s %8s files  wall %8.3f s  (the floor)\n' "cat" "soak" "$soak_files" "$soak_floor"
  for program in "${programs[@]}"; do
    name=$(basename "$program")
    run "$program" "$soak_corpus" labels.txt
    printf '%-8s %-6s %8s files  wall %8.3f s  peak %7.1f MB  ratio to floor %7.2f\n' \
      "$name" "soak" "$soak_files" "$run_wall" "$run_peak" "$(div "$run_wall" "$soak_floor")"
    printf '%-8s soak / full peak memory: %.3f (%s files against %s)\n' \
      "$name" "$(div "$run_peak" "${full_peak[$name]}")" "$soak_files" "$files"
  done
  repeat=$saved_repeat
fi
