#!/usr/bin/env bash
# Builds the libFuzzer targets and runs each for the given number of seconds
# (default 20). Exits non-zero when a target finds a crash, a leak or a
# mismatch. The targets build with the project, as CI's sanitizer build
# makes them (scripts/test.sh, build-asan), here optimised for a fuzzing
# session, in build-fuzz.
#   fuzz.sh [seconds]                 build, then run
#   fuzz.sh build                     build only
#   fuzz.sh run [seconds] [folder]    run what was built, in build-fuzz/fuzz or
#                                     in the folder given (build-asan/fuzz)
# JOBS limits the build's parallel jobs (default: every core).
set -euo pipefail
cd "$(dirname "$0")/.."
step=all
case "${1:-}" in
  build|run) step=$1; shift ;;
esac
seconds=${1:-20}
dir=build-fuzz/fuzz
[ "$step" = run ] && dir=${2:-build-fuzz/fuzz}
if [ "$step" != run ]; then
  if [ ! -f build-fuzz/build.ninja ]; then
    opt="-g -O1"
    [ "${CI:-}" = true ] && opt="-g0 -O0"
    cmake -S . -B build-fuzz -G Ninja -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
          -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="$opt" \
          -DZVO_SANITIZE=address,undefined -DZVO_FUZZ=ON >/dev/null
  fi
  cmake --build build-fuzz -j "${JOBS:-$(nproc)}" --target fuzz_targets
  [ "$step" = build ] && exit 0
fi
status=0
pids=()
names=()
for t in "$dir"/fuzz_*; do
  [ -f "$t" ] && [ -x "$t" ] || continue
  name=$(basename "$t")
  corpus="$dir/corpus/$name"
  mkdir -p "$corpus"
  seeds=()
  [ -d "fuzz/corpus/$name" ] && seeds=("fuzz/corpus/$name")
  "$t" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=0 \
       "$corpus" "${seeds[@]}" >"$dir/$name.log" 2>&1 &
  pids+=($!)
  names+=("$name")
done
for i in "${!pids[@]}"; do
  if wait "${pids[$i]}"; then
    echo "fuzz: ${names[$i]} ran ${seconds}s without a finding"
  else
    echo "fuzz: ${names[$i]} FAILED"; tail -40 "$dir/${names[$i]}.log"; status=1
  fi
done
exit $status
