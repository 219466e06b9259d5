#!/usr/bin/env bash
# Builds the fuzz targets with clang and runs each for a bounded time.
# Usage: fuzz/run.sh [build-folder] [target ...]   (FUZZ_SECONDS, default 60, is each target's time)
# Each target writes its own seed corpus first; what it finds stays in the build folder's corpus/
# (so a later run goes on from there) and a crashing input in artifacts/, and the run then fails.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-fuzz}
shift || true
seconds=${FUZZ_SECONDS:-60}
targets=("$@")
((${#targets[@]})) || targets=(fuzz_settings fuzz_jpeg fuzz_command_line fuzz_attachments)

cmake -S fuzz -B "$build" -G Ninja -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build "$build" -j "$(nproc 2>/dev/null || echo 2)" --target "${targets[@]}"

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
failed=0
summary=()
for target in "${targets[@]}"; do
  name=${target#fuzz_}
  seeds="$build/seeds/$name" corpus="$build/corpus/$name" artifacts="$build/artifacts"
  rm -rf "$seeds"
  mkdir -p "$corpus" "$artifacts"
  KOBANTO_FUZZ_SEEDS="$seeds" "$build/$target"
  dict=()
  [[ -f "fuzz/$name.dict" ]] && dict=("-dict=fuzz/$name.dict")
  log="$build/$name.log"
  echo "== $target: $seconds s (log: $log)"
  status=0
  "$build/$target" "${dict[@]}" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2560 \
    -print_final_stats=1 -artifact_prefix="$artifacts/$name-" "$corpus" "$seeds" >"$log" 2>&1 ||
    status=$?
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  files=$(find "$corpus" -type f | wc -l)
  if ((status == 0)); then
    summary+=("$target: ${seconds} s, ${runs:-?} runs, corpus of $files inputs, nothing found")
  else
    failed=1
    summary+=("$target: FAILED (status $status), see $log and $artifacts/")
    grep -E 'ERROR|check failed|SUMMARY|Test unit written' "$log" | head -5 || true
  fi
done
printf '%s\n' "${summary[@]}"
exit "$failed"
