#!/usr/bin/env bash
# Fails when one external symbol has a strong definition in two of the
# project's static libraries (or in two objects of one). A linker takes the
# first archive member that resolves a symbol and never looks at the second
# one, so such a pair links without a word and one definition is silently
# unused.
#
#   scripts/check_symbols.sh [build folder]     (default: build; uses the list
#                                                of libraries the build writes)
#   scripts/check_symbols.sh LIB.a...           (checks exactly these)
#
# Definitions that are meant to be repeated are not counted: weak ones (nm
# types W, V, w, v: inline functions, template instances, vtables and type
# information of classes without a key function, all emitted as COMDAT) and
# GNU unique objects (u: static locals of inline functions and templates).
# Common symbols (C) merge by design. `main` is exempt: the two test entry
# libraries are alternatives, and each test program links one of them.
set -euo pipefail

if [ $# -eq 0 ] || { [ $# -eq 1 ] && [ -d "$1" ]; }; then
  list="${1:-$(dirname "$0")/../build}/static-libraries.txt"
  if [ ! -f "$list" ]; then
    echo "symbol check: $list is missing; configure and build first" >&2
    exit 2
  fi
  mapfile -t libraries <"$list"
else
  libraries=("$@")
fi

for lib in "${libraries[@]}"; do
  if [ ! -f "$lib" ]; then
    echo "symbol check: $lib is missing; build first" >&2
    exit 2
  fi
done

# One line per strong definition: symbol, then "library(object)".
definitions=$(
  for lib in "${libraries[@]}"; do
    nm -A -g --defined-only "$lib" | awk -v lib="$lib" '
      $(NF - 1) ~ /^[TDBRGS]$/ && $NF != "main" {
        # "lib.a:member.o:address" -> member.o
        n = split($1, part, ":")
        print $NF, lib "(" part[n - 1] ")"
      }'
  done | sort
)

duplicates=$(awk '
  { where[$1] = where[$1] "\n  " $2; count[$1]++ }
  END { for (s in count) if (count[s] > 1) print s where[s] }' <<<"$definitions")

if [ -n "$duplicates" ]; then
  echo "symbol check: these symbols are defined more than once among ${#libraries[@]} libraries:" >&2
  while IFS= read -r line; do
    case "$line" in
      "  "*) echo "$line" >&2 ;;
      *) echo "$line ($(c++filt "$line"))" >&2 ;;
    esac
  done <<<"$duplicates"
  exit 1
fi
echo "symbol check: ${#libraries[@]} libraries, no symbol defined twice"
