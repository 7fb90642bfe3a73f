#!/usr/bin/env bash
# Shows a whole check on a machine without internet: a stand-in search engine
# answers on 127.0.0.1, and the program runs from a copy of build/program/ in a
# temporary folder whose engine table points at it and whose site list holds
# a few sites. Press "Update All"; close the program to end the demonstration.
#
#   scripts/demo.sh [options for the program's Qt platform, e.g. -platform xcb]
#
# ZVO_BUILD_DIR picks another build folder (default: build/); ZVO_DEMO_KEEP=1
# keeps the temporary folder for a look at the files the program wrote.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${ZVO_BUILD_DIR:-build}

if [ ! -x "$build/program/zarvello" ] || [ ! -x "$build/tools/fake_engine" ]; then
  echo "demo: $build/program/zarvello or $build/tools/fake_engine is missing; run scripts/build.sh first" >&2
  exit 1
fi

folder=$(mktemp -d "${TMPDIR:-/tmp}/zarvello-demo.XXXXXX")
engine_pid=""
cleanup() {
  if [ -n "$engine_pid" ]; then
    kill "$engine_pid" 2>/dev/null || true
    wait "$engine_pid" 2>/dev/null || true
  fi
  if [ "${ZVO_DEMO_KEEP:-0}" = 1 ]; then
    echo "demo: the program folder is kept in $folder"
  else
    rm -rf "$folder"
  fi
}
trap cleanup EXIT

cp -R "$build/program/." "$folder/"
rm -f "$folder/Domain-Data.txt" "$folder/Options.ini"

engines=4
# The engine writes an engine table of its own that points at itself and
# prints its address once it listens.
"$build/tools/fake_engine" --engines "$engines" --table "$folder/ZVO-SearchEngines.txt" \
  >"$folder/.engine-address" &
engine_pid=$!
for _ in $(seq 1 100); do
  [ -s "$folder/.engine-address" ] && break
  sleep 0.05
done
if [ ! -s "$folder/.engine-address" ]; then
  echo "demo: the stand-in search engine did not start" >&2
  exit 1
fi
echo "demo: search engine at $(head -n 1 "$folder/.engine-address")"
rm -f "$folder/.engine-address"

# A few sites, never checked: a domain, the total and one count per engine.
crlf=$'\r\n'
zeros=$(printf '\t0%.0s' $(seq 1 "$engines"))
{
  for site in www.example.com example.org shop.example.net blog.example.info; do
    printf '%s\t0%s%s' "$site" "$zeros" "$crlf"
  done
} >"$folder/Domain-Data.txt"

# Without internet there is no update server to ask.
printf '[zarvello]\r\nCheckForUpdatesInterval=Never\r\n' >"$folder/Options.ini"

status=0
"$folder/zarvello" "$@" || status=$?

echo "demo: the site list the program saved (domain, total, one count per engine):"
tr -d '\r' <"$folder/Domain-Data.txt" | sed 's/^/  /'
exit "$status"
