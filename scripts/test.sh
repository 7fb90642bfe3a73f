#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test. Exits non-zero on
# any failure. Prints one line per stage with its wall and CPU time, and all
# of them again at the end, so that a slow stage shows in every log.
set -euo pipefail
cd "$(dirname "$0")/.."

stages=()
report_stages() {
  local line
  echo "== stage times =="
  for line in "${stages[@]}"; do echo "$line"; done
  printf 'stage %-16s %5d s\n' "whole run" "$SECONDS"
}
asan_pid=
trap 'stop_sanitizer_build; report_stages' EXIT

# The CPU seconds (user and system) of every process this script has waited
# for so far. On a loaded machine a stage's wall time says little; its CPU
# time compares across runs.
children_cpu() {
  # Fields 16 and 17 of the shell's own stat: its waited-for children's
  # user and system time, in clock ticks.
  awk -v hz="$(getconf CLK_TCK)" '{ printf "%d", ($16 + $17) / hz }' "/proc/$$/stat"
}

# stage <name> <command...>: runs the command and records its wall and CPU
# time. The command runs where `set -e` does not reach, so the functions below
# end each step that can fail with `|| return`.
stage() {
  local name=$1 start=$SECONDS cpu status=0
  cpu=$(children_cpu)
  shift
  "$@" || status=$?
  local line
  line=$(printf 'stage %-16s %5d s %6d s cpu%s' "$name" $((SECONDS - start)) $(($(children_cpu) - cpu)) \
    "$([ $status -eq 0 ] || echo " (failed: $status)")")
  stages+=("$line")
  echo "$line"
  return $status
}

jobs=$(nproc)

stage set-up bash scripts/setup.sh
stage build bash scripts/build.sh

run_tests() {
  # No two of our static libraries may define one symbol.
  bash scripts/check_symbols.sh build || return
  # Twice as many tests as cores: many of them wait more than they compute
  # (on an X server, a server on loopback, a timer), and with one test a core
  # one core idled through much of the stage.
  ctest --test-dir build --output-on-failure -j $((2 * jobs)) --timeout 600
}

# The test programs that need no browser once more under AddressSanitizer and
# UndefinedBehaviorSanitizer, in a build folder of their own that holds only
# what they link. Unoptimised: on two cores that compiles 100 s faster than
# -O1 and the tests take 14 s longer; grid_core alone is compiled at -O1
# (ZVO_SANITIZE_OPTIMISED), which its test repays nearly twice over.
# Compiled by clang where it is installed (the fuzz targets need it anyway):
# with the sanitizers' instrumentation it compiles our sources in about half
# GCC's time, and every source is then
# compiled by both compilers, each with its own warnings. The fuzz targets
# are built in the same folder from its libraries, so that no source is
# compiled a third time for them; a clang sanitizer folder made before it
# held them gets them. CI leaves out debug information and runs
# half of the broken-input sets; a developer keeps line numbers in the
# reports and runs the sets whole. The project's libraries are shared
# there: each instrumented test program then holds its own code only, where
# it held every library it links, 160 MB, linked anew for each program.
build_asan() {
  if [ ! -f build-asan/build.ninja ]; then
    local flags="-O0 -g1" compilers=() ci=()
    if [ "${CI:-}" = true ]; then
      flags="-O0 -g0"
      ci=(-DZVO_BROKEN_INPUT_ALL=OFF)
    fi
    command -v clang++ >/dev/null 2>&1 &&
      compilers=(-DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DZVO_FUZZ=ON)
    cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="$flags" \
          "${compilers[@]}" "${ci[@]}" -DZVO_SANITIZE=address,undefined -DZVO_SHARED_LIBRARIES=ON >/dev/null || return
  elif ! grep -q '^ZVO_FUZZ:BOOL=ON$' build-asan/CMakeCache.txt &&
    grep -q '^CMAKE_CXX_COMPILER:[A-Z]*=.*clang++' build-asan/CMakeCache.txt; then
    cmake -DZVO_FUZZ=ON build-asan >/dev/null || return
  fi
  local targets=(browserless_tests)
  grep -q '^ZVO_FUZZ:BOOL=ON$' build-asan/CMakeCache.txt && targets+=(fuzz_targets)
  cmake --build build-asan -j "$jobs" --target "${targets[@]}"
}

# The sanitizer build runs beside the plain tests, at the lowest priority.
# The tests wait on X servers, servers on loopback and the programs they
# start for much of their stage; the build takes what they leave of the
# cores, and a test that wants a core has it at once. Its own session, so
# that a failing test stage stops all of it; its output is shown once done.
# Where the kernel groups the processes of a session for scheduling, a new
# session has a group of its own that shares the cores evenly with the
# tests' whatever its processes' niceness: the group is made nice as well.
# A watchdog in the session ends it should this script be killed outright
# (a CI time limit), when no trap runs. The session writes its own CPU time
# to a file: bash adds a child's time to its own once it reaps it, which may
# be while it waits for the tests.
start_sanitizer_build() {
  asan_log=$(mktemp)
  asan_cpu_file=$(mktemp)
  asan_start=$SECONDS
  setsid nice -n 19 bash -c "jobs=$jobs; $(declare -f build_asan children_cpu)"'
    { echo 19 >/proc/self/autogroup; } 2>/dev/null
    (while kill -0 "$1" 2>/dev/null; do sleep 5; done; kill -- "-$$") &
    status=0
    build_asan || status=$?
    children_cpu >"$2"
    exit $status' _ $$ "$asan_cpu_file" >"$asan_log" 2>&1 &
  asan_pid=$!
}
stop_sanitizer_build() {
  if [ -n "$asan_pid" ]; then
    kill -- "-$asan_pid" 2>/dev/null || true
    wait "$asan_pid" 2>/dev/null || true
    rm -f "$asan_log" "$asan_cpu_file"
  fi
}
wait_for_sanitizer_build() {
  local status=0 cpu line
  wait "$asan_pid" || status=$?
  asan_pid=
  cat "$asan_log"
  cpu=$(cat "$asan_cpu_file")
  rm -f "$asan_log" "$asan_cpu_file"
  line=$(printf 'stage %-16s %5d s %6d s cpu, beside the tests%s' sanitizer-build $((SECONDS - asan_start)) \
    "${cpu:-0}" "$([ $status -eq 0 ] || echo " (failed: $status)")")
  stages+=("$line")
  echo "$line"
  return $status
}

start_sanitizer_build
stage tests run_tests
wait_for_sanitizer_build
# Half as many tests again as cores: they compute, but some of the longest
# wait on the programs they start (test_program_life, test_mainwindow_x11:
# 25 s and 13 s, a fifth of it on a core), and with one test a core the
# other core idled through them.
stage sanitizer-tests ctest --test-dir build-asan --output-on-failure -j $((jobs + (jobs + 1) / 2)) --timeout 600 -LE webengine

# Fuzz targets: built with clang's libFuzzer, each run for a short bounded
# time. They are the targets scripts/fuzz.sh builds for a fuzzing session,
# from the same project with other flags. A sanitizer build of another
# compiler leaves them to scripts/fuzz.sh, in a build of their own.
if grep -q '^ZVO_FUZZ:BOOL=ON$' build-asan/CMakeCache.txt; then
  stage fuzz-run bash scripts/fuzz.sh run 20 build-asan/fuzz
elif command -v clang++ >/dev/null 2>&1; then
  stage fuzz-build bash scripts/fuzz.sh build
  stage fuzz-run bash scripts/fuzz.sh run 20
fi
