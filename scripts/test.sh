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

# The test programs that need no browser once more under AddressSanitizer and
# UndefinedBehaviorSanitizer, in a build folder of their own that holds only
# what they link (about 8 minutes on two cores without ccache).
if [ ! -f build-asan/build.ninja ]; then
  cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-O0 -g1" \
        -DZVO_SANITIZE=address,undefined >/dev/null
fi
cmake --build build-asan -j "$jobs" --target browserless_tests
ctest --test-dir build-asan --output-on-failure -j "$jobs" --timeout 600 -LE webengine

# Fuzz targets: built with clang's libFuzzer, each run for a short bounded time.
if command -v clang++ >/dev/null 2>&1; then
  bash scripts/fuzz.sh 20
fi
