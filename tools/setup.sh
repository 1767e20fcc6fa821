#!/usr/bin/env bash
# Sets up a Debian 12 machine for the project and then either runs every test or starts the demo.
#   tools/setup.sh test   install what is missing, configure, build, run every test
#   tools/setup.sh demo   install what is missing, configure, build, start the demo in a window
# Environment: KOR_BUILD_DIR (default build), KOR_SANITIZE=1 for an address and
# undefined-behaviour sanitizer build.
set -euo pipefail

mode=${1:-test}
root=$(cd "$(dirname "$0")/.." && pwd)
build=${KOR_BUILD_DIR:-$root/build}
case "$build" in /*) ;; *) build=$root/$build ;; esac

packages=(cmake ninja-build pkg-config g++ clang libclang-rt-14-dev clang-format clang-tidy
          libgtest-dev libbenchmark-dev libsdl2-dev libx11-dev libimgui-dev libstb-dev libpng-dev
          zlib1g-dev libosmesa6-dev libassimp-dev libimagequant-dev xvfb xauth xdotool x11-utils
          imagemagick openbox fonts-droid-fallback)

install_missing() {
  local missing=()
  for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return
  echo "Installing: ${missing[*]}"
  local sudo=()
  [ "$(id -u)" -ne 0 ] && sudo=(sudo)
  "${sudo[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq "${missing[@]}"
}

configure_and_build() {
  local flags=(-G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo)
  [ "$mode" = test ] && flags+=(-DKOR_WERROR=ON)
  [ "${KOR_SANITIZE:-0}" = 1 ] && flags+=(-DKOR_SANITIZE=ON)
  cmake -S "$root" -B "$build" "${flags[@]}"
  # The demo needs only its program; the tests need everything.
  local targets=()
  [ "$mode" = demo ] && targets=(--target KorvelDemo)
  cmake --build "$build" -j "$(nproc)" "${targets[@]}"
}

run_tests() {
  export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1}
  export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
  # Window tests need an X server; start a virtual one when there is no display.
  if [ -z "${DISPLAY:-}" ]; then
    xvfb-run -a -s "-screen 0 1024x768x24" ctest --test-dir "$build" --output-on-failure -j "$(nproc)"
  else
    ctest --test-dir "$build" --output-on-failure -j "$(nproc)"
  fi
}

run_demo() {
  if [ ! -x "$build/app/KorvelDemo" ]; then
    echo "The demo program is not built yet." >&2
    exit 1
  fi
  cd "$root/assets"
  exec "$build/app/KorvelDemo"
}

install_missing
configure_and_build
case "$mode" in
  test) run_tests ;;
  demo) run_demo ;;
  *) echo "usage: $0 test|demo" >&2; exit 2 ;;
esac
