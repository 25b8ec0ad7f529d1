#!/usr/bin/env bash
# Builds and runs the catalogue benchmarks under Wine; extra arguments go to the exe
# (--search-only, --sort-only, --runs=N). Prints "ratio ..." lines.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../../scripts/lib.sh"
voice_build windows catalogue_bench >/dev/null
voice_wine_env
exec wine "$VOICE_BUILD_ROOT/windows/bench/catalogue/catalogue_bench.exe" "$@"
