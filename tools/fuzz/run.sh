#!/usr/bin/env bash
# Fuzzes the program's file readers with libFuzzer (clang 14, address and undefined-behaviour
# sanitizers), each for a given time, starting from its committed seed corpus.
#   tools/fuzz/run.sh <target|all> <seconds>
# Targets: model (the ".kor" loader), xfile (the ".x" reader through the mesh builder's load),
# settings (the settings file: read, write, read back) and bitmap (the BMP decoder); "all"
# runs each in turn. Environment: KOR_FUZZ_BUILD_DIR (default build-fuzz under the repository),
# KOR_FUZZ_JOBS (parallel fuzzing processes, default 1). Each target's corpus grows in
# <build>/fuzz/<target>/corpus between runs; inputs that fail land in
# <build>/fuzz/<target>/artifacts. Exits non-zero when a finding was made.
set -euo pipefail

target=${1:?usage: run.sh <model|xfile|settings|bitmap|all> <seconds>}
seconds=${2:?usage: run.sh <model|xfile|settings|bitmap|all> <seconds>}
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${KOR_FUZZ_BUILD_DIR:-$root/build-fuzz}
case "$build" in /*) ;; *) build=$root/$build ;; esac
jobs=${KOR_FUZZ_JOBS:-1}
case "$target" in
  all) targets=(model xfile settings bitmap) ;;
  model|xfile|settings|bitmap) targets=("$target") ;;
  *) echo "unknown target $target" >&2; exit 2 ;;
esac

flags="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined"
flags="$flags -fno-omit-frame-pointer"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 \
  -DCMAKE_C_FLAGS="$flags" -DCMAKE_CXX_FLAGS="$flags" -DKOR_FUZZ=ON >/dev/null
executables=()
for t in "${targets[@]}"; do executables+=("fuzz_$t"); done
[[ " ${targets[*]} " == *" model "* ]] && executables+=(fuzz_model_seeds)
cmake --build "$build" -j 2 --target "${executables[@]}"

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}

# The seed folder of a target: the model's is made by its seed writer, the others committed.
seeds_of() {
  if [ "$1" = model ]; then
    local seeds=$build/fuzz/model/seeds
    mkdir -p "$seeds"
    "$build/tools/fuzz_model/fuzz_model_seeds" "$seeds"
    cp "$root/assets/wisp2.kor" "$seeds/"
    echo "$seeds"
  else
    echo "$root/tools/fuzz/corpus/$1"
  fi
}

for t in "${targets[@]}"; do
  work=$build/fuzz/$t
  mkdir -p "$work/corpus" "$work/artifacts"
  seeds=$(seeds_of "$t")
  executable=$build/tools/fuzz/fuzz_$t
  [ "$t" = model ] && executable=$build/tools/fuzz_model/fuzz_model
  args=(-max_total_time="$seconds" -print_final_stats=1 -artifact_prefix="$work/artifacts/"
        -timeout=30 -rss_limit_mb=2048)
  [ -f "$root/tools/fuzz/$t.dict" ] && args+=(-dict="$root/tools/fuzz/$t.dict")
  [ "$jobs" -gt 1 ] && args+=(-jobs="$jobs" -workers="$jobs")
  echo "== fuzz_$t for $seconds s"
  "$executable" "${args[@]}" "$work/corpus" "$seeds"
done
