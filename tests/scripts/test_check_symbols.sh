#!/usr/bin/env bash
# The symbol check on libraries made for the purpose: definitions that are
# meant to repeat (inline functions, template instances, the vtable of a class
# without a key function, a static local of an inline function) pass it; a
# function and a variable defined in two libraries fail it, by name.
#
#   test_check_symbols.sh <C++ compiler> <check script>
set -euo pipefail
cxx=$1
check=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

cat >shared.h <<'CODE'
#pragma once
inline int inlineCount() { static int calls = 0; return ++calls; }
template <typename T> T twice(T value) { return value + value; }
struct NoKeyFunction { virtual ~NoKeyFunction() = default; virtual int value() const { return 1; } };
CODE
cat >a.cpp <<'CODE'
#include "shared.h"
int sharedCounter = 1;
int useA() { NoKeyFunction n; return inlineCount() + twice(1) + n.value() + sharedCounter; }
CODE
cat >b.cpp <<'CODE'
#include "shared.h"
int useB() { NoKeyFunction n; return inlineCount() + twice(2) + n.value(); }
CODE
cat >c.cpp <<'CODE'
int sharedCounter = 2;
int useA() { return 3; }
CODE
for name in a b c; do
  "$cxx" -std=c++20 -O0 -c "$name.cpp" -o "$name.o"
  ar rcs "lib$name.a" "$name.o"
done

fail() { echo "FAILED: $*" >&2; exit 1; }

bash "$check" liba.a libb.a >pass.log 2>&1 || { cat pass.log >&2; fail "repeated inline and template definitions were reported"; }

if bash "$check" liba.a libb.a libc.a >fail.log 2>&1; then
  cat fail.log >&2
  fail "a function and a variable defined in two libraries passed"
fi
grep -q 'useA()' fail.log || fail "the duplicate function is not named: $(cat fail.log)"
grep -q 'sharedCounter' fail.log || fail "the duplicate variable is not named: $(cat fail.log)"
grep -q 'liba.a(a.o)' fail.log && grep -q 'libc.a(c.o)' fail.log || fail "the libraries are not named: $(cat fail.log)"
echo "symbol check self-test passed"
