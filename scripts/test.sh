#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test. Exits non-zero on
# any failure.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh
# No two of our static libraries may define one symbol.
bash scripts/check_symbols.sh build

jobs=$(nproc)
ctest --test-dir build --output-on-failure -j "$jobs" --timeout 600

# Fuzz targets: built with clang's libFuzzer, each run for a short bounded time.
if command -v clang++ >/dev/null 2>&1; then
  bash scripts/fuzz.sh 20
fi
