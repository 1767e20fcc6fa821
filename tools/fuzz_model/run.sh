#!/usr/bin/env bash
# Fuzzes the model loader for a given time: tools/fuzz/run.sh model <seconds> (see there).
#   tools/fuzz_model/run.sh <seconds>
set -euo pipefail
exec "$(dirname "$0")/../fuzz/run.sh" model "${1:?usage: run.sh <seconds>}"
