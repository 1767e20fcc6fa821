#!/usr/bin/env bash
# Re-makes the committed captures with korcapture (from a build in KOR_BUILD_DIR, default
# build): the demonstration at four places in its sway (frames 7, 13, 32 and 38: phases 0.12,
# 0.24, 0.62 and 0.74, four different bends), the same figure in a 640 x 480 view, nine figures
# at 640 x 480, the large-triangle frame and the dense frame of 20,000 small triangles.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../../.." && pwd)
build=${KOR_BUILD_DIR:-$root/build}
case "$build" in /*) ;; *) build=$root/$build ;; esac
capture=$build/tools/korcapture/korcapture
cd "$root/assets"
for frame in 7 13 32 38; do
  "$capture" "$frame" "$here/demo-$frame.korframe"
done
"$capture" --size 640x480 13 "$here/demo640-13.korframe"
"$capture" --size 640x480 --figures 9 13 "$here/nine-13.korframe"
"$capture" --size 640x480 --large 1 "$here/large.korframe"
"$capture" --size 640x480 --dense 1 "$here/dense.korframe"
