#!/usr/bin/env bash
# Fuzzes korconvert's OBJ import for a given time with libFuzzer (clang 14, address and
# undefined-behaviour sanitizers), starting from the converter's sample model.
#   tools/fuzz_convert/run.sh <seconds>
# Environment: KOR_FUZZ_BUILD_DIR (default build-fuzz under the repository, shared with
# tools/fuzz_model/run.sh). The corpus grows in <build>/fuzz_convert/corpus between runs; inputs
# that crash land in <build>/fuzz_convert/artifacts. Exits non-zero when a finding was made.
set -euo pipefail

seconds=${1:?usage: run.sh <seconds>}
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${KOR_FUZZ_BUILD_DIR:-$root/build-fuzz}
case "$build" in /*) ;; *) build=$root/$build ;; esac

flags="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined"
flags="$flags -fno-omit-frame-pointer"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 \
  -DCMAKE_C_FLAGS="$flags" -DCMAKE_CXX_FLAGS="$flags" -DKOR_FUZZ=ON >/dev/null
cmake --build "$build" -j 2 --target fuzz_convert

work=$build/fuzz_convert
mkdir -p "$work/seeds" "$work/corpus" "$work/artifacts"
cp "$root/assets/samples/crate.obj" "$work/seeds/"
printf 'v 0 0 0\nv 1 0 0\nv 0 1 0\np 1\nl 1 2\nf 1 2 3\n' >"$work/seeds/mixed.obj"

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1}
# Leaks inside Open Asset Import Library's own error paths are its, not ours.
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$root/tests/lsan_suppressions.txt}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
"$build/tools/fuzz_convert/fuzz_convert" -max_total_time="$seconds" -print_final_stats=1 \
  -artifact_prefix="$work/artifacts/" -timeout=10 -rss_limit_mb=2048 "$work/corpus" "$work/seeds"
