#!/usr/bin/env bash
# Sets up, builds and runs every test of both targets (Linux natively, Windows under Wine).
# Exits non-zero when anything fails, or when a lane runs no test at all.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"

status=0
run_lane() {
  local target=$1
  echo "=== $target: build"
  "$root/scripts/build.sh" "$target" || return 1
  echo "=== $target: test"
  local log="$root/build/$target/ctest.log"
  ctest --test-dir "$root/build/$target" --output-on-failure -j 2 2>&1 | tee "$log"
  local rc=${PIPESTATUS[0]}
  if grep -q "No tests were found" "$log"; then
    echo "$target: no tests were run" >&2
    return 1
  fi
  return "$rc"
}

run_lane linux   || status=1
run_lane windows || status=1

if [ $status -ne 0 ]; then echo "test-all: FAILED" >&2; else echo "test-all: both lanes passed"; fi
exit $status
