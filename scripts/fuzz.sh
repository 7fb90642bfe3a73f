#!/usr/bin/env bash
# Builds the libFuzzer targets with clang into build/fuzz and runs each for the
# given number of seconds (default 20). Exits non-zero when a target finds a
# crash, a leak or a mismatch.
#   fuzz.sh [seconds]                 build, then run
#   fuzz.sh build                     build only
#   fuzz.sh run [seconds] [folder]    run what was built, in build/fuzz or in
#                                     the folder given (build-asan/fuzz, where
#                                     scripts/test.sh builds them)
set -euo pipefail
cd "$(dirname "$0")/.."
step=all
case "${1:-}" in
  build|run) step=$1; shift ;;
esac
seconds=${1:-20}
dir=build/fuzz
[ "$step" = run ] && dir=${2:-build/fuzz}
if [ "$step" != run ]; then
  if [ ! -f build/fuzz/build.ninja ]; then
    opt="-g -O1"
    [ "${CI:-}" = true ] && opt="-g0 -O0"
    CC=clang CXX=clang++ cmake -S fuzz -B build/fuzz -G Ninja "-DZVO_FUZZ_OPT=$opt" >/dev/null
  fi
  cmake --build build/fuzz -j "$(nproc)"
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
