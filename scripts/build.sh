#!/usr/bin/env bash
# Configures and builds into build/ (used by run.sh and test.sh).
# A developer's build keeps debug information; CI (CI=true) builds once from
# a clean clone without it, as debug information is a large part of both
# compiling and linking there, nor the benchmark programs, which it never
# runs.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)
if [ ! -f build/build.ninja ]; then
  if [ "${CI:-}" = true ]; then
    cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG" \
          -DZVO_BENCHES=OFF >/dev/null
  else
    cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  fi
fi
cmake --build build -j "$jobs"
