#!/usr/bin/env bash
# Prints the list sample of reportdemo on a CUPS queue without a printer: a
# private CUPS server (the one the tests start, on loopback and a socket in
# a temporary folder) with one queue that writes each job as a PDF file. The
# script waits for the job, keeps the queue's PDF and the server's page log,
# shows what pdfinfo says of it and stops the server. The machine's own CUPS
# server is neither asked nor needed.
#
#   scripts/print-demo.sh [OUTPUT.pdf]      (default: print-demo.pdf)
#
# Exit status 0 when the queue printed the report; 77 when the CUPS packages
# are missing.
#
# Needs cups-daemon, cups-client and poppler-utils, and a build
# (scripts/build.sh, or cmake --build build --target reportdemo cups_sandbox).
# ZVO_BUILD_DIR picks another build folder (default: build/).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${ZVO_BUILD_DIR:-$top/build}
out=$(realpath -m "${1:-print-demo.pdf}")

for tool in "$build/tools/reportdemo" "$build/tools/cups_sandbox"; do
  if [ ! -x "$tool" ]; then
    echo "print-demo: $tool is missing; run scripts/build.sh first" >&2
    exit 1
  fi
done
if ! command -v pdfinfo >/dev/null; then
  echo "print-demo: pdfinfo is missing (apt-get install poppler-utils)" >&2
  exit 1
fi

export ZVO_SOURCE_DIR=$top
status=0
"$build/tools/cups_sandbox" --queue Demo --keep "$out" -- \
  "$build/tools/reportdemo" --report list --data "$top/tools/reportdemo/samples/list.csv" \
  --device Printer --printer Demo || status=$?
if [ "$status" = 4 ]; then
  echo "print-demo: install cups-daemon and cups-client (scripts/setup.sh does)" >&2
  exit 77
elif [ "$status" != 0 ]; then
  exit "$status"
fi

echo "print-demo: the queue printed $out"
pdfinfo "$out"
echo "print-demo: the server's page log ($out.log):"
cat "$out.log"
