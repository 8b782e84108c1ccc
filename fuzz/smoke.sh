#!/usr/bin/env bash
# A short run (FUZZ_SECONDS, default 5) of every fuzz target over its seed
# corpus, under ASan and UBSan. Fails on the first finding and names the
# input that caused it. Skips with status 0 when clang++ or its libFuzzer
# runtime is missing. The committed corpus is only read, never changed.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${FUZZ_SECONDS:-5}
build=${FUZZ_BUILD_DIR:-build-fuzz}

if ! command -v clang++ >/dev/null 2>&1; then
  echo "fuzz smoke: clang++ not found, skipped"
  exit 0
fi
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
cat > "$scratch/probe.cpp" <<'PROBE'
#include <cstddef>
#include <cstdint>
extern "C" int LLVMFuzzerTestOneInput(const uint8_t*, size_t) { return 0; }
PROBE
if ! clang++ -fsanitize=fuzzer "$scratch/probe.cpp" -o "$scratch/probe" >/dev/null 2>&1; then
  echo "fuzz smoke: no libFuzzer runtime for clang++, skipped"
  exit 0
fi

cmake -S . -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DSEGDUR_FUZZ=ON -DSEGDUR_SANITIZE=ON -DSEGDUR_WERROR=OFF -DBUILD_TESTING=OFF >/dev/null
cmake --build "$build" --target segdur_fuzz_all -j "${FUZZ_BUILD_JOBS:-3}"

status=0
for target in "$build"/fuzz/fuzz_*; do
  [ -x "$target" ] || continue
  name=${target##*/fuzz_}
  work="$scratch/$name"
  mkdir -p "$work/new"
  echo "fuzz smoke: $name for ${seconds}s"
  if ! "$target" -max_total_time="$seconds" -timeout=10 -print_final_stats=1 \
      -artifact_prefix="$work/" "$work/new" "fuzz/corpus/${name%_by_strtof}" >"$work/log" 2>&1; then
    tail -n 40 "$work/log"
    for found in "$work"/crash-* "$work"/leak-* "$work"/timeout-* "$work"/oom-*; do
      [ -e "$found" ] || continue
      kept="$build/finding-$name-${found##*/}"
      cp "$found" "$kept"
      echo "fuzz smoke: $name failed on the input kept in $kept"
    done
    status=1
  else
    grep -E '^stat::number_of_executed_units' "$work/log" || true
  fi
done
[ "$status" -eq 0 ] && echo "fuzz smoke passed"
exit "$status"
