#!/usr/bin/env bash
# Fuzzes the frame-capture reader for a given time with libFuzzer (clang 14, address and
# undefined-behaviour sanitizers), starting from the committed captures (uncompressed).
#   tools/fuzz_capture/run.sh <seconds>
# Environment: KOR_FUZZ_BUILD_DIR (default build-fuzz under the repository), KOR_FUZZ_JOBS
# (parallel fuzzing processes, default 1). The corpus grows in <build>/fuzz/corpus between runs;
# inputs that crash land in <build>/fuzz/artifacts. Exits non-zero when a finding was made.
set -euo pipefail

seconds=${1:?usage: run.sh <seconds>}
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${KOR_FUZZ_BUILD_DIR:-$root/build-fuzz}
case "$build" in /*) ;; *) build=$root/$build ;; esac
jobs=${KOR_FUZZ_JOBS:-1}

flags="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined"
flags="$flags -fno-omit-frame-pointer"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 \
  -DCMAKE_C_FLAGS="$flags" -DCMAKE_CXX_FLAGS="$flags" -DKOR_FUZZ=ON >/dev/null
cmake --build "$build" -j 2 --target fuzz_capture

work=$build/fuzz
mkdir -p "$work/seeds" "$work/corpus" "$work/artifacts"
for capture in "$root"/tools/korreplay/captures/*.korframe; do
  gzip -dc "$capture" > "$work/seeds/$(basename "$capture")"
done

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
args=(-max_total_time="$seconds" -print_final_stats=1 -artifact_prefix="$work/artifacts/"
      -timeout=10 -rss_limit_mb=2048)
if [ "$jobs" -gt 1 ]; then
  args+=(-jobs="$jobs" -workers="$jobs")
fi
"$build/tools/fuzz_capture/fuzz_capture" "${args[@]}" "$work/corpus" "$work/seeds"
